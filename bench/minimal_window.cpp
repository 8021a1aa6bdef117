// The yardstick for bench/footprint.sh: the least a Direct2D window can be. One top-level window of
// Vessop's default size whose every paint clears it and draws one line of text with DirectWrite; no
// scan, no settings, no threads of its own. What Vessop uses beyond this is what it costs by itself.

#include <d2d1.h>
#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

namespace {

using Microsoft::WRL::ComPtr;

struct Drawing {
    ComPtr<ID2D1Factory> factory;
    ComPtr<IDWriteFactory> text;
    ComPtr<IDWriteTextFormat> format;
    ComPtr<ID2D1HwndRenderTarget> target;
    ComPtr<ID2D1SolidColorBrush> ink;
};
Drawing g_drawing;

void paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    const D2D1_SIZE_U size = D2D1::SizeU(static_cast<UINT32>(client.right), static_cast<UINT32>(client.bottom));
    if (!g_drawing.target &&
        SUCCEEDED(g_drawing.factory->CreateHwndRenderTarget(D2D1::RenderTargetProperties(),
                                                            D2D1::HwndRenderTargetProperties(hwnd, size),
                                                            g_drawing.target.GetAddressOf())))
        g_drawing.target->CreateSolidColorBrush(D2D1::ColorF(0.1f, 0.1f, 0.1f), g_drawing.ink.GetAddressOf());
    if (g_drawing.target) {
        g_drawing.target->Resize(size);
        g_drawing.target->BeginDraw();
        g_drawing.target->Clear(D2D1::ColorF(0.95f, 0.96f, 0.97f));
        constexpr wchar_t k_line[] = L"Certificates: 100";
        g_drawing.target->DrawText(k_line, ARRAYSIZE(k_line) - 1, g_drawing.format.Get(), D2D1::RectF(24, 60, 600, 110),
                                   g_drawing.ink.Get());
        if (g_drawing.target->EndDraw() == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) g_drawing.target.Reset();
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: paint(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, g_drawing.factory.GetAddressOf())) ||
        FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                   reinterpret_cast<IUnknown**>(g_drawing.text.GetAddressOf()))) ||
        FAILED(g_drawing.text->CreateTextFormat(L"Segoe UI", nullptr, DWRITE_FONT_WEIGHT_SEMI_BOLD, DWRITE_FONT_STYLE_NORMAL,
                                                DWRITE_FONT_STRETCH_NORMAL, 28.0f, L"en-us",
                                                g_drawing.format.GetAddressOf())))
        return 1;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = L"MinimalDirect2DWindow";
    if (!RegisterClassExW(&window_class)) return 1;
    const HWND hwnd = CreateWindowExW(0, window_class.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 1000, 760, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    g_drawing = {};
    return 0;
}
