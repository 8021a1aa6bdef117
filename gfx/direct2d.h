#pragma once

// Drawing resources of the main window: a D3D11 device with a flip-model swap chain, a Direct2D 1.1
// device context drawing into its back buffer, one brush and five DirectWrite text formats.

#include <array>
#include <cstdint>
#include <optional>

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

struct ViewState;

struct Gfx {
    Microsoft::WRL::ComPtr<IDWriteFactory> dwrite_factory;
    Microsoft::WRL::ComPtr<IDXGISwapChain1> swap_chain;
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> render_target;
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> device_context;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
    std::array<Microsoft::WRL::ComPtr<IDWriteTextFormat>, 5> text_formats;
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> target_bitmap;  // null when missing
    float scale = 1.0f;
};

// The drawing resources for a window at a DPI; empty (and *error set) when any step fails.
std::optional<Gfx> create_gfx(HWND hwnd, uint32_t dpi, HRESULT* error = nullptr);
void resize_gfx(Gfx& gfx, uint32_t width, uint32_t height);
void remake_text_formats(Gfx& gfx, uint32_t dpi);
// One frame of the whole window; recreates the resources after a lost device.
void paint_frame(ViewState& state);
