// Vessop.exe for the device-loss end-to-end test: the program itself, linked with these versions of
// the two swap-chain calls in place of gfx/swap_chain_calls.cpp.
//
//   VESSOP_TEST_LOSE_DEVICE  a file (Windows path): the first Present after it appears deletes it and
//                            reports DXGI_ERROR_DEVICE_REMOVED without presenting, and the next swap
//                            chain creation fails as well, as when a driver is still resetting.
//   VESSOP_TEST_GFX_LOG      a file to which a line is appended for every swap chain made, failed and
//                            destroyed, for the loss and the first frame presented after it: the
//                            milliseconds since boot, the event, the count alive afterwards ("live=N").
//
// The count: this build keeps a reference of its own to the swap chain it made last. When the next one
// is to be made, a reference count of 1 means the program has let go of the old one entirely (it is
// released here, and counted as gone); more means the program still holds it, and the old swap chain
// would still exist beside the new one. (Wine neither defers the destruction of a swap chain nor
// releases private data interfaces with it, so the swap chain cannot report its own end.)

#include "gfx/swap_chain_calls.h"

#include <string>

#include <windows.h>

namespace {

long g_live = 0;
bool g_fail_next_create = false;
bool g_recovering = false;  // from the loss to the first frame presented after it

std::wstring environment(const wchar_t* name)
{
    wchar_t buffer[1024]{};
    const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

void log_line(const std::string& line)
{
    const std::wstring path = environment(L"VESSOP_TEST_GFX_LOG");
    if (path.empty()) return;
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = std::to_string(GetTickCount64()) + " " + line + " live=" + std::to_string(g_live) + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

Microsoft::WRL::ComPtr<IDXGISwapChain1> g_last;  // the swap chain made last, with this build's reference

// Counts the last swap chain as gone when the program holds no reference to it any more.
void check_last_released()
{
    if (!g_last) return;
    g_last->AddRef();
    const ULONG references = g_last->Release();  // for tests only, as the documentation says
    if (references != 1) {
        log_line("previous still held");
        return;
    }
    g_last.Reset();
    --g_live;
    log_line("destroyed");
}

}  // namespace

HRESULT create_window_swap_chain(IDXGIFactory2& factory, IUnknown& device, HWND hwnd,
                                 const DXGI_SWAP_CHAIN_DESC1& desc, Microsoft::WRL::ComPtr<IDXGISwapChain1>& out)
{
    check_last_released();
    if (g_fail_next_create) {
        g_fail_next_create = false;
        log_line("create failed (injected)");
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    const HRESULT hr = factory.CreateSwapChainForHwnd(&device, hwnd, &desc, nullptr, nullptr, &out);
    if (FAILED(hr)) {
        log_line("create failed");
        return hr;
    }
    g_last = out;
    ++g_live;
    log_line("created");
    return hr;
}

HRESULT present_frame(IDXGISwapChain1& swap_chain)
{
    const std::wstring trigger = environment(L"VESSOP_TEST_LOSE_DEVICE");
    if (!trigger.empty() && DeleteFileW(trigger.c_str())) {
        g_fail_next_create = true;
        g_recovering = true;
        log_line("lost");
        return DXGI_ERROR_DEVICE_REMOVED;
    }
    const HRESULT hr = swap_chain.Present(1, 0);
    if (g_recovering && SUCCEEDED(hr)) {
        g_recovering = false;
        log_line("presented");
    }
    return hr;
}
