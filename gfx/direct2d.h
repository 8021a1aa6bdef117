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

// While the window lacks drawing resources it should have (a lost device whose replacement could not
// be made yet, or none could be made at start-up): when to try again, and how often it failed so far.
struct GfxRetry {
    double next_attempt = 0;  // monotonic seconds
    uint32_t failures = 0;
};

// The drawing resources for a window at a DPI; empty (and *error set) when any step fails. The text
// formats carry the program language's locale.
std::optional<Gfx> create_gfx(HWND hwnd, uint32_t dpi, HRESULT* error = nullptr);
void resize_gfx(Gfx& gfx, uint32_t width, uint32_t height);
void remake_text_formats(Gfx& gfx, uint32_t dpi);

// The drawing resources for the state's window at its DPI; when they cannot be made, the next
// attempt is scheduled (ensure_gfx). Start-up calls it once.
void create_gfx_or_retry(ViewState& state);

// Releases the drawing resources so that the window's swap chain is really gone: Windows lets one
// flip-model swap chain be bound to a window at a time, and Direct3D destroys a released one only
// once its device context is flushed.
void release_gfx(std::optional<Gfx>& gfx);

// The wait before the next attempt after `failures` failed ones: a few times a second at first, then
// less often, so a device that stays away costs next to nothing.
uint32_t gfx_retry_delay_ms(uint32_t failures);

// Makes the drawing resources when they are missing, wanted (`gfx_retry` set) and an attempt is due;
// a failure schedules the next one, success repaints the window. True when the state has them.
bool ensure_gfx(ViewState& state);

// Milliseconds until ensure_gfx should be tried again; none when nothing is to be tried.
std::optional<uint32_t> gfx_retry_wait_ms(const ViewState& state);

// One frame of the whole window; after a lost device the resources are released and made again.
void paint_frame(ViewState& state);
