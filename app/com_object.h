#pragma once

// The reference counting every COM object of the program shares (MinGW-w64 has no
// <wrl/implements.h>). The derived class lists its interfaces and answers QueryInterface; objects
// are made only through `make`, which hands out the one first reference in a ComPtr, and the last
// Release destroys them.

#include <atomic>
#include <new>
#include <utility>

#include <unknwn.h>
#include <wrl/client.h>

template <class Derived, class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Null when memory runs out.
    template <class... Args>
    static Microsoft::WRL::ComPtr<Derived> make(Args&&... args)
    {
        Microsoft::WRL::ComPtr<Derived> object;
        object.Attach(new (std::nothrow) Derived(std::forward<Args>(args)...));
        return object;
    }

    // Any thread may hold and drop references (UI Automation does, from its own threads).
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    // For QueryInterface: hands out `self` as the interface asked for, with a new reference.
    template <class Interface>
    HRESULT hand_out(Interface* self, void** out)
    {
        *out = self;
        AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
};
