#pragma once

// One small move-only owner for every kind of Windows handle. A traits type names the handle type,
// its invalid value and how to free it; copying is deleted, moving transfers ownership.

#include <utility>

#include <windows.h>
#include <wincrypt.h>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    Type release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(Type value = Traits::invalid()) noexcept
    {
        Type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // Frees the current value first, then hands out the address for an API to fill.
    Type* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::invalid();
};

struct KernelHandleTraits {  // null means "none" (threads, events, processes)
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFileW reports failure as INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::RegCloseKey(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DestroyMenu(h); }
};
struct CertContextTraits {
    using Type = PCCERT_CONTEXT;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::CertFreeCertificateContext(h); }
};
struct LocalMemTraits {  // buffers that an API allocated with LocalAlloc (CRYPT_DECODE_ALLOC_FLAG)
    using Type = void*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::LocalFree(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueCertContext = UniqueHandle<CertContextTraits>;
using UniqueLocalMem = UniqueHandle<LocalMemTraits>;
