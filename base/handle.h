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

// Traits for handles that an API reports as null when there are none, and for those it reports as
// INVALID_HANDLE_VALUE (CreateFileW, FindFirstFileExW). `Close` is the function that frees one.
template <class T, auto Close>
struct NullHandleTraits {
    using Type = T;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { Close(h); }
};
template <auto Close>
struct InvalidValueHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { Close(h); }
};

using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, &::CloseHandle>>;  // threads, processes, events
using UniqueFile = UniqueHandle<InvalidValueHandleTraits<&::CloseHandle>>;
using UniqueFind = UniqueHandle<InvalidValueHandleTraits<&::FindClose>>;
using UniqueRegKey = UniqueHandle<NullHandleTraits<HKEY, &::RegCloseKey>>;
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, &::DestroyMenu>>;
using UniqueGdiObject = UniqueHandle<NullHandleTraits<HGDIOBJ, &::DeleteObject>>;  // fonts, brushes
using UniqueCertContext = UniqueHandle<NullHandleTraits<PCCERT_CONTEXT, &::CertFreeCertificateContext>>;
// Buffers that an API allocated with LocalAlloc (CRYPT_DECODE_ALLOC_FLAG, CommandLineToArgvW).
using UniqueLocalMem = UniqueHandle<NullHandleTraits<void*, &::LocalFree>>;
