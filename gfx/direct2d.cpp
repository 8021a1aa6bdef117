#include "gfx/direct2d.h"

// Flip-sequential with two buffers and frame latency 1: the least memory and lag the flip model
// allows, and no DWM redirection copy. Scaling NONE keeps the back buffer 1:1 with the client area;
// the buffers are resized on WM_SIZE instead of being stretched. The device context runs at DPI 96
// so every coordinate is a physical pixel; the scale lives in the layout and the font sizes.

#include "gfx/detail_pane.h"
#include "gfx/layout.h"
#include "gfx/main_view.h"
#include "gfx/view_state.h"
#include "gfx/palette.h"
#include "gfx/swap_chain_calls.h"
#include "i18n/catalogue.h"
#include "i18n/language.h"

#include <algorithm>
#include <cmath>

#include <d2d1_1helper.h>
#include <d3d11.h>

using Microsoft::WRL::ComPtr;

namespace {

using TextFormats = std::array<ComPtr<IDWriteTextFormat>, 5>;

struct StyleFont {
    const wchar_t* family;
    DWRITE_FONT_WEIGHT weight;
    float size_dip;
};

// In the order of TextStyle: small, body, strong, title, icon.
constexpr StyleFont k_formats[] = {
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 11.5f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 13.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 13.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 20.0f},
    {L"Segoe MDL2 Assets", DWRITE_FONT_WEIGHT_NORMAL, 16.0f},
};

// DXGI_ERROR_DEVICE_REMOVED; with bit 1 cleared DXGI_ERROR_DEVICE_RESET (0x887A0007) matches too.
constexpr uint32_t k_device_lost = 0x887A0005;
constexpr uint32_t k_recreate_target = 0x8899000C;  // D2DERR_RECREATE_TARGET

bool is_device_loss(HRESULT hr)
{
    const auto code = static_cast<uint32_t>(hr);
    return code == k_recreate_target || (code & ~2u) == k_device_lost;
}

HRESULT make_text_formats(IDWriteFactory* factory, float scale, TextFormats& out)
{
    // The program's language, not an empty locale: DirectWrite would otherwise draw the Han characters
    // of Japanese and Chinese texts in whatever region's forms it takes as the default.
    const wchar_t* locale = locale_name_of(current_language());
    TextFormats made;
    for (size_t i = 0; i < made.size(); ++i) {
        const StyleFont& font = k_formats[i];
        const HRESULT hr = factory->CreateTextFormat(font.family, nullptr, font.weight, DWRITE_FONT_STYLE_NORMAL,
                                                     DWRITE_FONT_STRETCH_NORMAL, font.size_dip * scale, locale,
                                                     &made[i]);
        if (FAILED(hr)) return hr;  // the formats made so far are released with `made`
    }
    out = std::move(made);
    return S_OK;
}

HRESULT make_target_bitmap(Gfx& gfx)
{
    ComPtr<IDXGISurface> surface;
    HRESULT hr = gfx.swap_chain->GetBuffer(0, IID_PPV_ARGS(&surface));
    if (FAILED(hr)) return hr;
    const D2D1_BITMAP_PROPERTIES1 properties = D2D1::BitmapProperties1(
        D2D1_BITMAP_OPTIONS_TARGET | D2D1_BITMAP_OPTIONS_CANNOT_DRAW,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), 96.0f, 96.0f);
    ComPtr<ID2D1Bitmap1> bitmap;
    hr = gfx.device_context->CreateBitmapFromDxgiSurface(surface.Get(), &properties, &bitmap);
    if (FAILED(hr)) return hr;
    gfx.target_bitmap = std::move(bitmap);
    return S_OK;
}

HRESULT create_d3d_device(D3D_DRIVER_TYPE type, ComPtr<ID3D11Device>& device)
{
    return D3D11CreateDevice(nullptr, type, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, nullptr, 0,
                             D3D11_SDK_VERSION, &device, nullptr, nullptr);
}

// The client size for the swap chain: never negative, and a zero side (a minimised window) becomes 1.
void client_size(HWND hwnd, UINT& width, UINT& height)
{
    RECT rc{};
    if (!GetClientRect(hwnd, &rc)) rc = RECT{};
    width = static_cast<UINT>(std::max<LONG>(rc.right - rc.left, 0));
    height = static_cast<UINT>(std::max<LONG>(rc.bottom - rc.top, 0));
}

HRESULT create_gfx_or_error(HWND hwnd, uint32_t dpi, Gfx& gfx)
{
    ComPtr<ID2D1Factory1> d2d_factory;
    HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), nullptr,
                                   reinterpret_cast<void**>(d2d_factory.GetAddressOf()));
    if (FAILED(hr)) return hr;

    hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                             reinterpret_cast<IUnknown**>(gfx.dwrite_factory.GetAddressOf()));
    if (FAILED(hr)) return hr;

    ComPtr<ID3D11Device> d3d_device;
    if (FAILED(create_d3d_device(D3D_DRIVER_TYPE_HARDWARE, d3d_device))) {
        hr = create_d3d_device(D3D_DRIVER_TYPE_WARP, d3d_device);
        if (FAILED(hr)) return hr;
    }

    ComPtr<IDXGIDevice1> dxgi_device;
    hr = d3d_device.As(&dxgi_device);
    if (FAILED(hr)) return hr;
    dxgi_device->SetMaximumFrameLatency(1);  // a failure only costs latency

    ComPtr<ID2D1Device> d2d_device;
    hr = d2d_factory->CreateDevice(dxgi_device.Get(), &d2d_device);
    if (FAILED(hr)) return hr;
    hr = d2d_device->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &gfx.device_context);
    if (FAILED(hr)) return hr;
    gfx.device_context->SetDpi(96.0f, 96.0f);
    gfx.device_context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

    ComPtr<IDXGIAdapter> adapter;
    hr = dxgi_device->GetAdapter(&adapter);
    if (FAILED(hr)) return hr;
    ComPtr<IDXGIFactory2> dxgi_factory;
    hr = adapter->GetParent(IID_PPV_ARGS(&dxgi_factory));
    if (FAILED(hr)) return hr;

    DXGI_SWAP_CHAIN_DESC1 desc{};
    client_size(hwnd, desc.Width, desc.Height);
    desc.Width = std::max<UINT>(desc.Width, 1);
    desc.Height = std::max<UINT>(desc.Height, 1);
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.Stereo = FALSE;
    desc.SampleDesc = {1, 0};
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 2;
    desc.Scaling = DXGI_SCALING_NONE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
    desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
    desc.Flags = 0;
    hr = create_window_swap_chain(*dxgi_factory.Get(), *d3d_device.Get(), hwnd, desc, gfx.swap_chain);
    if (FAILED(hr)) return hr;
    dxgi_factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER);  // failure ignored

    hr = gfx.device_context.As(&gfx.render_target);
    if (FAILED(hr)) return hr;
    hr = gfx.render_target->CreateSolidColorBrush(D2D1::ColorF(0, 0, 0, 1), &gfx.brush);
    if (FAILED(hr)) return hr;

    const float scale = scale_of_dpi(dpi);
    hr = make_text_formats(gfx.dwrite_factory.Get(), scale, gfx.text_formats);
    if (FAILED(hr)) return hr;
    hr = make_target_bitmap(gfx);
    if (FAILED(hr)) return hr;
    gfx.scale = scale;
    return S_OK;
}

// The old resources go first, swap chain and all, and only then are new ones made: a second
// flip-model swap chain for the window would fail while the first one still exists. When the new
// ones cannot be made yet, ensure_gfx tries again shortly.
void recreate_after_device_loss(ViewState& state)
{
    release_gfx(state.gfx);
    state.gfx_retry = GfxRetry{};  // the first attempt is due at once
    ensure_gfx(state);
    InvalidateRect(state.hwnd, nullptr, FALSE);
}

}  // namespace

std::optional<Gfx> create_gfx(HWND hwnd, uint32_t dpi, HRESULT* error)
{
    Gfx gfx;
    const HRESULT hr = create_gfx_or_error(hwnd, dpi, gfx);
    if (error) *error = hr;
    if (FAILED(hr)) return std::nullopt;  // what was made is released with `gfx`
    return gfx;
}

void resize_gfx(Gfx& gfx, uint32_t width, uint32_t height)
{
    width = std::max<uint32_t>(width, 1);
    height = std::max<uint32_t>(height, 1);
    // The same size again (the first show's WM_SIZE, a restore to the size it had) keeps the buffers:
    // making them anew costs a wait for the device and a blank moment for nothing.
    DXGI_SWAP_CHAIN_DESC1 desc{};
    if (gfx.target_bitmap && SUCCEEDED(gfx.swap_chain->GetDesc1(&desc)) && desc.Width == width && desc.Height == height)
        return;
    // The buffers cannot be resized while the bitmap still references one of them.
    gfx.device_context->SetTarget(nullptr);
    gfx.target_bitmap.Reset();
    gfx.swap_chain->ResizeBuffers(0, width, height, DXGI_FORMAT_UNKNOWN, 0);
    make_target_bitmap(gfx);  // on failure the next frame tries again
}

void remake_text_formats(Gfx& gfx, uint32_t dpi)
{
    // The scale changes even when the formats cannot: layout follows the new DPI at once.
    gfx.scale = scale_of_dpi(dpi);
    TextFormats made;
    if (SUCCEEDED(make_text_formats(gfx.dwrite_factory.Get(), gfx.scale, made))) {
        gfx.text_formats = std::move(made);
    }
}

void release_gfx(std::optional<Gfx>& gfx)
{
    if (!gfx) return;
    // Kept past the release: the device context that has to let go of the swap chain.
    ComPtr<ID3D11DeviceContext> immediate;
    ComPtr<ID3D11Device> device;
    if (gfx->swap_chain && SUCCEEDED(gfx->swap_chain->GetDevice(IID_PPV_ARGS(&device))))
        device->GetImmediateContext(&immediate);
    if (gfx->device_context) gfx->device_context->SetTarget(nullptr);
    gfx.reset();
    // Deferred destruction: a released flip-model swap chain lives on until the context that used it
    // has its state cleared and is flushed.
    if (immediate) {
        immediate->ClearState();
        immediate->Flush();
    }
}

uint32_t gfx_retry_delay_ms(uint32_t failures)
{
    // A device that is back at once (a reset, a driver that restarted) is found within a tenth of a
    // second; one that takes longer, four times a second for two seconds, then once a second for
    // half a minute, then every five seconds.
    if (failures <= 1) return 100;
    if (failures <= 9) return 250;
    if (failures <= 39) return 1000;
    return 5000;
}

void create_gfx_or_retry(ViewState& state)
{
    state.gfx_retry = GfxRetry{};
    ensure_gfx(state);
}

bool ensure_gfx(ViewState& state)
{
    if (state.gfx) return true;
    if (!state.gfx_retry) return false;
    const double now = state.clock();
    if (now < state.gfx_retry->next_attempt) return false;
    state.gfx = create_gfx(state.hwnd, state.dpi);
    if (!state.gfx) {
        ++state.gfx_retry->failures;
        state.gfx_retry->next_attempt = now + gfx_retry_delay_ms(state.gfx_retry->failures) / 1000.0;
        return false;
    }
    state.gfx_retry.reset();
    // The new swap chain matches the client area as it is now, and shows nothing until drawn.
    InvalidateRect(state.hwnd, nullptr, FALSE);
    return true;
}

std::optional<uint32_t> gfx_retry_wait_ms(const ViewState& state)
{
    if (state.gfx || !state.gfx_retry) return std::nullopt;
    const double wait_s = std::max(state.gfx_retry->next_attempt - state.clock(), 0.0);
    return static_cast<uint32_t>(std::min(std::ceil(wait_s * 1000.0), 60000.0));
}

void paint_frame(ViewState& state)
{
    if (!ensure_gfx(state)) return;
    Gfx& gfx = *state.gfx;

    if (!gfx.target_bitmap) {
        const HRESULT made = make_target_bitmap(gfx);
        // A device lost between frames shows up here, before EndDraw or Present could report it;
        // skipping would leave the window blank for good, so recover as a lost frame would.
        if (is_device_loss(made)) {
            recreate_after_device_loss(state);
            return;
        }
    }
    // Without a target there is nothing to draw into: skip this frame, the next one tries again.
    if (!gfx.target_bitmap) return;
    gfx.device_context->SetTarget(gfx.target_bitmap.Get());

    const Palette palette = palette_for(state.dark, state.high_contrast);
    gfx.render_target->BeginDraw();
    gfx.render_target->SetTransform(D2D1::Matrix3x2F::Identity());
    gfx.render_target->Clear(D2D1::ColorF(palette.background.r, palette.background.g, palette.background.b,
                                          palette.background.a));
    draw_main_view(state);
    if (state.selection) draw_detail_pane(state);
    draw_notice(state);
    const HRESULT end = gfx.render_target->EndDraw();
    gfx.device_context->SetTarget(nullptr);

    if (static_cast<uint32_t>(end) == k_recreate_target) {
        recreate_after_device_loss(state);
        return;
    }
    const HRESULT presented = present_frame(*gfx.swap_chain.Get());
    if ((static_cast<uint32_t>(presented) & ~2u) == k_device_lost) recreate_after_device_loss(state);
}
