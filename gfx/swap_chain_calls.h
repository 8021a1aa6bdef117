#pragma once

// The two swap-chain calls whose failure starts device-loss recovery, in a file of their own so that
// a test build of the program can link its own versions, which lose the device on request and count
// the swap chains alive. The program itself makes the plain calls.

#include <windows.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

// CreateSwapChainForHwnd for the whole window: no full-screen description, no output restriction.
HRESULT create_window_swap_chain(IDXGIFactory2& factory, IUnknown& device, HWND hwnd,
                                 const DXGI_SWAP_CHAIN_DESC1& desc, Microsoft::WRL::ComPtr<IDXGISwapChain1>& out);

// Present(1, 0): the next vertical blank.
HRESULT present_frame(IDXGISwapChain1& swap_chain);
