#include "gfx/swap_chain_calls.h"

HRESULT create_window_swap_chain(IDXGIFactory2& factory, IUnknown& device, HWND hwnd,
                                 const DXGI_SWAP_CHAIN_DESC1& desc, Microsoft::WRL::ComPtr<IDXGISwapChain1>& out)
{
    return factory.CreateSwapChainForHwnd(&device, hwnd, &desc, nullptr, nullptr, &out);
}

HRESULT present_frame(IDXGISwapChain1& swap_chain)
{
    return swap_chain.Present(1, 0);
}
