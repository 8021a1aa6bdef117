// The drawing layer on a real device. Windows need an X display under Wine: the unit-test run has
// none, so these tests skip there and run for real in the "DrawingWithDisplay" test, which gives them
// a private Xvfb (tests/with_display.sh) and sets VESSOP_REQUIRE_DISPLAY so that a skip becomes a failure.

#include "gfx/direct2d.h"
#include "i18n/catalogue.h"
#include "i18n/language.h"

#include "app/shell.h"
#include "app/window_proc.h"
#include "app/window_state.h"
#include "gfx/draw.h"
#include "gfx/hit_test.h"
#include "gfx/detail_pane.h"
#include "gfx/main_view.h"
#include "x509/dates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <d2d1_1helper.h>

using Microsoft::WRL::ComPtr;

namespace {

LRESULT CALLBACK plain_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Under Wine without an X display no window can be made; trying costs over a second, so ask first.
bool windows_available()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    return !wine || GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

// A hidden pop-up window whose client area is exactly width x height.
class TestWindow {
public:
    TestWindow(int width, int height)
    {
        if (!windows_available()) return;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = plain_window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Vessop.GfxTest";
        RegisterClassExW(&wc);  // the second registration fails harmlessly
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"gfx test", WS_POPUP, 0, 0, width, height, nullptr,
                                nullptr, wc.hInstance, nullptr);
    }
    ~TestWindow()
    {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

bool display_required()
{
    const char* value = std::getenv("VESSOP_REQUIRE_DISPLAY");
    return value && *value;
}

// Skips (or fails, where a display was promised) when no window can be made.
#define REQUIRE_WINDOW(window)                                                          \
    do {                                                                                \
        if (!(window).get()) {                                                          \
            if (display_required()) FAIL() << "no window: " << GetLastError();          \
            GTEST_SKIP() << "no X display for windows; run under tests/with_display.sh"; \
        }                                                                               \
    } while (0)

struct Pixel {
    int r, g, b;
};

// Draws into an offscreen bitmap of the window's size on the same device context and reads it back.
class Offscreen {
public:
    Offscreen(const Gfx& gfx, UINT width, UINT height) : gfx_(gfx), width_(width), height_(height)
    {
        const auto format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED);
        const auto target = D2D1::BitmapProperties1(D2D1_BITMAP_OPTIONS_TARGET, format, 96, 96);
        const auto readable =
            D2D1::BitmapProperties1(D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW, format, 96, 96);
        ok_ = SUCCEEDED(gfx.device_context->CreateBitmap(D2D1::SizeU(width, height), nullptr, 0, &target,
                                                         &target_)) &&
              SUCCEEDED(gfx.device_context->CreateBitmap(D2D1::SizeU(width, height), nullptr, 0, &readable,
                                                         &readable_));
    }

    bool draw(const std::function<void()>& paint)
    {
        if (!ok_) return false;
        gfx_.device_context->SetTarget(target_.Get());
        gfx_.render_target->BeginDraw();
        gfx_.render_target->Clear(D2D1::ColorF(0, 0, 0, 1));
        paint();
        const HRESULT hr = gfx_.render_target->EndDraw();
        gfx_.device_context->SetTarget(nullptr);
        if (FAILED(hr) || FAILED(readable_->CopyFromBitmap(nullptr, target_.Get(), nullptr))) return false;
        D2D1_MAPPED_RECT mapped{};
        if (FAILED(readable_->Map(D2D1_MAP_OPTIONS_READ, &mapped))) return false;
        pixels_.resize(static_cast<size_t>(width_) * height_ * 4);
        for (UINT y = 0; y < height_; ++y) {
            std::memcpy(&pixels_[static_cast<size_t>(y) * width_ * 4], mapped.bits + y * mapped.pitch, width_ * 4);
        }
        readable_->Unmap();
        return true;
    }

    Pixel at(UINT x, UINT y) const
    {
        const uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 4];  // B, G, R, A
        return {p[2], p[1], p[0]};
    }

private:
    const Gfx& gfx_;
    UINT width_;
    UINT height_;
    bool ok_ = false;
    ComPtr<ID2D1Bitmap1> target_;
    ComPtr<ID2D1Bitmap1> readable_;
    std::vector<uint8_t> pixels_;
};

// `over` at alpha a over the opaque `under`, as 0-255 channels.
Pixel blend(Colour over, Colour under)
{
    auto channel = [&](float o, float u) { return static_cast<int>(std::lround((o * over.a + u * (1 - over.a)) * 255)); };
    return {channel(over.r, under.r), channel(over.g, under.g), channel(over.b, under.b)};
}

void expect_pixel(const Pixel& actual, const Pixel& expected, const std::string& what)
{
    // Rounding differs between rasterisers by a step or two.
    EXPECT_NEAR(actual.r, expected.r, 2) << what;
    EXPECT_NEAR(actual.g, expected.g, 2) << what;
    EXPECT_NEAR(actual.b, expected.b, 2) << what;
}

WindowState state_for(HWND hwnd, uint32_t dpi)
{
    WindowState state;
    state.hwnd = hwnd;
    state.dpi = dpi;
    state.gfx = create_gfx(hwnd, dpi);
    return state;
}

CertificateEntry expired_entry()
{
    CertificateEntry entry;
    entry.info.subject_cn = "Expired holder";
    entry.info.not_after = 86400;  // 1970-01-02: long past
    entry.copies.push_back(CertificateCopy{L"C:\\NPKI\\yessign\\USER\\a", "yessign", "C:", false, true, false});
    return entry;
}

}  // namespace

TEST(GfxDevice, CreationGivesFlipSwapChainOfClientSize)
{
    const struct {
        int width, height;
        UINT chain_width, chain_height;
    } k_cases[] = {
        {300, 200, 300, 200},
        {0, 0, 1, 1},    // a minimised window still gets a swap chain
        {0, 50, 1, 50},
    };
    for (const auto& c : k_cases) {
        TestWindow window(c.width, c.height);
        REQUIRE_WINDOW(window);
        HRESULT hr = E_FAIL;
        const std::optional<Gfx> gfx = create_gfx(window.get(), 96, &hr);
        ASSERT_TRUE(gfx) << std::hex << hr;
        EXPECT_EQ(hr, S_OK);
        DXGI_SWAP_CHAIN_DESC1 desc{};
        ASSERT_EQ(gfx->swap_chain->GetDesc1(&desc), S_OK);
        EXPECT_EQ(desc.Width, c.chain_width) << c.width << " x " << c.height;
        EXPECT_EQ(desc.Height, c.chain_height) << c.width << " x " << c.height;
        EXPECT_EQ(desc.BufferCount, 2u);
        EXPECT_EQ(desc.SwapEffect, DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL);
        EXPECT_EQ(desc.Format, DXGI_FORMAT_B8G8R8A8_UNORM);
        EXPECT_TRUE(gfx->target_bitmap);
        EXPECT_TRUE(gfx->brush);
        EXPECT_TRUE(gfx->render_target);
        float dpi_x = 0, dpi_y = 0;
        gfx->device_context->GetDpi(&dpi_x, &dpi_y);
        EXPECT_EQ(dpi_x, 96);  // every coordinate is a physical pixel, whatever the window's DPI
        EXPECT_EQ(dpi_y, 96);
    }
}

TEST(GfxDevice, DpiGivesScaledFontSizes)
{
    const struct {
        uint32_t dpi;
        float scale;
        float sizes[5];
    } k_cases[] = {
        {96, 1, {11.5f, 13, 13, 20, 16}},
        {144, 1.5f, {17.25f, 19.5f, 19.5f, 30, 24}},
        {120, 1.25f, {14.375f, 16.25f, 16.25f, 25, 20}},
    };
    const DWRITE_FONT_WEIGHT k_weights[] = {DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_WEIGHT_NORMAL,
                                            DWRITE_FONT_WEIGHT_SEMI_BOLD, DWRITE_FONT_WEIGHT_SEMI_BOLD,
                                            DWRITE_FONT_WEIGHT_NORMAL};
    const wchar_t* k_families[] = {L"Segoe UI", L"Segoe UI", L"Segoe UI", L"Segoe UI", L"Segoe MDL2 Assets"};
    TestWindow window(200, 100);
    REQUIRE_WINDOW(window);
    for (const auto& c : k_cases) {
        const std::optional<Gfx> gfx = create_gfx(window.get(), c.dpi);
        ASSERT_TRUE(gfx);
        EXPECT_FLOAT_EQ(gfx->scale, c.scale);
        for (size_t i = 0; i < 5; ++i) {
            const std::string what = "dpi " + std::to_string(c.dpi) + " style " + std::to_string(i);
            EXPECT_FLOAT_EQ(gfx->text_formats[i]->GetFontSize(), c.sizes[i]) << what;
            EXPECT_EQ(gfx->text_formats[i]->GetFontWeight(), k_weights[i]) << what;
            wchar_t family[64] = {};
            gfx->text_formats[i]->GetFontFamilyName(family, 64);
            EXPECT_STREQ(family, k_families[i]) << what;
            // The program language's locale, so Han characters take that region's forms.
            wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
            gfx->text_formats[i]->GetLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
            EXPECT_EQ(_wcsicmp(locale, locale_name_of(current_language())), 0) << what;  // Wine lower-cases it
        }
    }
}

TEST(GfxDevice, RemakeTextFormatsFollowsNewDpi)
{
    TestWindow window(200, 100);
    REQUIRE_WINDOW(window);
    std::optional<Gfx> gfx = create_gfx(window.get(), 96);
    ASSERT_TRUE(gfx);
    remake_text_formats(*gfx, 144);
    EXPECT_FLOAT_EQ(gfx->scale, 1.5f);
    EXPECT_FLOAT_EQ(gfx->text_formats[1]->GetFontSize(), 19.5f);
    EXPECT_FLOAT_EQ(gfx->text_formats[4]->GetFontSize(), 24);
}

TEST(GfxDevice, ResizeGivesBuffersOfNewSize)
{
    const struct {
        uint32_t width, height;
        UINT chain_width, chain_height;
    } k_cases[] = {{500, 400, 500, 400}, {0, 0, 1, 1}, {120, 0, 120, 1}};
    TestWindow window(300, 200);
    REQUIRE_WINDOW(window);
    std::optional<Gfx> gfx = create_gfx(window.get(), 96);
    ASSERT_TRUE(gfx);
    for (const auto& c : k_cases) {
        resize_gfx(*gfx, c.width, c.height);
        DXGI_SWAP_CHAIN_DESC1 desc{};
        ASSERT_EQ(gfx->swap_chain->GetDesc1(&desc), S_OK);
        EXPECT_EQ(desc.Width, c.chain_width);
        EXPECT_EQ(desc.Height, c.chain_height);
        ASSERT_TRUE(gfx->target_bitmap) << "the resize makes the target bitmap again";
        const D2D1_SIZE_U size = gfx->target_bitmap->GetPixelSize();
        EXPECT_EQ(size.width, c.chain_width);
        EXPECT_EQ(size.height, c.chain_height);
    }
}

TEST(MeasureText, TextAndStyleGiveWidth)
{
    TestWindow window(200, 100);
    REQUIRE_WINDOW(window);
    std::optional<Gfx> gfx = create_gfx(window.get(), 96);
    ASSERT_TRUE(gfx);
    EXPECT_EQ(measure_text(*gfx, "", TextStyle::body), 0);
    const float body = measure_text(*gfx, "Add folder", TextStyle::body);
    EXPECT_GT(body, 20);
    EXPECT_LT(body, 200);
    EXPECT_GT(measure_text(*gfx, "Add folder, then more", TextStyle::body), body);
    EXPECT_GT(measure_text(*gfx, "Add folder", TextStyle::title), body);
    EXPECT_LT(measure_text(*gfx, "Add folder", TextStyle::small), body);
    // Trailing spaces count: the toolbar pads from the measured width.
    EXPECT_GT(measure_text(*gfx, "Add folder   ", TextStyle::body), body);
    // A long text is measured whole, not cut at some layout width.
    const std::string long_text(300, 'W');
    EXPECT_GT(measure_text(*gfx, long_text, TextStyle::body), 1000);
}

TEST(MeasureText, MissingResourcesGiveZero)
{
    const Gfx empty;
    EXPECT_EQ(measure_text(empty, "Vessop", TextStyle::body), 0);
    EXPECT_FALSE(make_text_layout(empty, "Vessop", 100, TextStyle::body, false));
}

TEST(MakeTextLayout, LongTextStaysOnOneLine)
{
    TestWindow window(200, 100);
    REQUIRE_WINDOW(window);
    std::optional<Gfx> gfx = create_gfx(window.get(), 96);
    ASSERT_TRUE(gfx);
    const struct {
        const char* text;
        float width;
    } k_cases[] = {
        {"Certificates on a USB drive show up as soon as you plug it in.", 120},
        {"USB 에 든 인증서는 USB 를 꽂으면 바로 나타납니다.", 80},
        {"x", -5},  // a negative width counts as 1
    };
    for (const auto& c : k_cases) {
        const ComPtr<IDWriteTextLayout> layout = make_text_layout(*gfx, c.text, c.width, TextStyle::body, false);
        ASSERT_TRUE(layout) << c.text;
        EXPECT_EQ(layout->GetWordWrapping(), DWRITE_WORD_WRAPPING_NO_WRAP);
        DWRITE_TEXT_METRICS metrics{};
        ASSERT_EQ(layout->GetMetrics(&metrics), S_OK);
        EXPECT_EQ(metrics.lineCount, 1u) << c.text;
        EXPECT_FLOAT_EQ(layout->GetMaxWidth(), std::max(c.width, 1.0f));
        DWRITE_TRIMMING trimming{};
        ComPtr<IDWriteInlineObject> sign;
        ASSERT_EQ(layout->GetTrimming(&trimming, &sign), S_OK);
        EXPECT_EQ(trimming.granularity, DWRITE_TRIMMING_GRANULARITY_CHARACTER);
        EXPECT_TRUE(sign) << "an ellipsis sign ends a cut text";
    }
    const ComPtr<IDWriteTextLayout> centred = make_text_layout(*gfx, "Add folder", 100, TextStyle::body, true);
    ASSERT_TRUE(centred);
    EXPECT_EQ(centred->GetTextAlignment(), DWRITE_TEXT_ALIGNMENT_CENTER);
}

TEST(DrawOperations, FillsGiveExactColours)
{
    TestWindow window(64, 64);
    REQUIRE_WINDOW(window);
    std::optional<Gfx> gfx = create_gfx(window.get(), 96);
    ASSERT_TRUE(gfx);
    Offscreen screen(*gfx, 64, 64);
    ASSERT_TRUE(screen.draw([&] {
        fill_rect(*gfx, {0, 0, 32, 32}, k_light_palette.accent);
        fill_rect(*gfx, {32, 0, 32, 32}, with_alpha(k_light_palette.text_secondary, 0.18f));
        fill_round_rect(*gfx, {0, 32, 32, 32}, 8, k_danger);
        stroke_rect(*gfx, 40.5f, 40.5f, 59.5f, 59.5f, k_on_accent, 1);
    }));
    expect_pixel(screen.at(10, 10), {13, 148, 136}, "accent fill");
    expect_pixel(screen.at(31, 31), {13, 148, 136}, "fill reaches its last pixel");
    expect_pixel(screen.at(48, 10), {19, 21, 23}, "text_secondary (107, 114, 128) at alpha 0.18 over black");
    expect_pixel(screen.at(16, 48), {220, 38, 38}, "rounded fill inside");
    expect_pixel(screen.at(0, 32), {0, 0, 0}, "rounded corner stays empty");
    expect_pixel(screen.at(40, 50), {255, 255, 255}, "outline on the pixel column");
    expect_pixel(screen.at(50, 50), {0, 0, 0}, "outline only");
    expect_pixel(screen.at(39, 50), {0, 0, 0}, "outline one pixel wide");
}

TEST(MainView, HeaderToolbarAndNoticeUseThePalette)
{
    // 400 x 300 at 100 %: header 0-52, menu 354-390, refresh 312-348, add folder ends at 306.
    const struct {
        bool dark;
        bool hover_add_folder;
    } k_cases[] = {{false, false}, {true, false}, {false, true}};
    TestWindow window(400, 300);
    REQUIRE_WINDOW(window);
    for (const auto& c : k_cases) {
        WindowState state = state_for(window.get(), 96);
        ASSERT_TRUE(state.gfx);
        state.dark = c.dark;
        if (c.hover_add_folder) state.hover.kind = HitKind::AddFolder;
        state.notice = Notice{"Copied", 0};
        const Palette& palette = palette_for(c.dark);
        Offscreen screen(*state.gfx, 400, 300);
        ASSERT_TRUE(screen.draw([&] {
            fill_rect(*state.gfx, {0, 0, 400, 300}, palette.background);
            draw_main_view(state);
            draw_notice(state);
        }));
        const std::string what = c.dark ? "dark" : (c.hover_add_folder ? "hovered" : "light");
        expect_pixel(screen.at(300, 2), blend(palette.header, palette.background), what + " header");
        expect_pixel(screen.at(300, 51), blend(palette.border, palette.background), what + " divider at H - 1");
        expect_pixel(screen.at(300, 53), blend(palette.background, palette.background), what + " below the header");
        const Colour add_fill = c.hover_add_folder ? with_alpha(palette.accent, 0.85f) : palette.accent;
        expect_pixel(screen.at(302, 26), blend(add_fill, palette.header), what + " add folder");
        expect_pixel(screen.at(372, 10), blend(palette.header, palette.background), what + " menu has no fill");
        // The notice pill sits 64 px above the bottom edge, in the same dark fill in both themes.
        const RectF pill = notice_rect(view_metrics(400, 300, 96), measure_text(*state.gfx, "Copied", TextStyle::body));
        expect_pixel(screen.at(static_cast<UINT>(pill.x) + 4, 300 - 64 + 19), blend(k_notice_fill, palette.background),
                     what + " notice");
    }
}

TEST(MainView, ExpiredEntryAddsCleanUpItem)
{
    TestWindow window(600, 300);
    REQUIRE_WINDOW(window);
    WindowState state = state_for(window.get(), 96);
    ASSERT_TRUE(state.gfx);
    state.entries.emplace();
    EXPECT_EQ(toolbar_items(state).size(), 3u);
    state.entries->push_back(expired_entry());
    const std::vector<ToolbarItem> items = toolbar_items(state);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[3].kind, HitKind::CleanUp);
    EXPECT_NE(items[3].label.find('1'), std::string::npos) << items[3].label;

    // The same rectangles answer the hit test, and the clean-up item is painted in its grey fill.
    const RectF clean = items[3].rect;
    EXPECT_EQ(hit_test(state, clean.x + 3, clean.y + clean.height / 2).kind, HitKind::CleanUp);
    EXPECT_EQ(hit_test(state, items[0].rect.x + 1, items[0].rect.y + 1).kind, HitKind::Menu);
    EXPECT_EQ(hit_test(state, clean.x - 1, clean.y + 1).kind, HitKind::None);
    Offscreen screen(*state.gfx, 600, 300);
    ASSERT_TRUE(screen.draw([&] { draw_main_view(state); }));
    expect_pixel(screen.at(static_cast<UINT>(clean.x) + 3, static_cast<UINT>(clean.y + clean.height / 2)),
                 blend(with_alpha(k_light_palette.text_secondary, 0.10f), k_light_palette.header), "clean-up fill");
}

TEST(PaintFrame, FramesKeepTheResources)
{
    TestWindow window(320, 240);
    REQUIRE_WINDOW(window);
    WindowState state = state_for(window.get(), 96);
    ASSERT_TRUE(state.gfx);
    const std::function<void(WindowState&)> k_setups[] = {
        [](WindowState&) {},                                               // before the first scan result
        [](WindowState& s) { s.entries.emplace(); },                       // nothing found
        [](WindowState& s) { s.scan_started = 0.0; s.dark = true; },       // rescan behind a shown list
        [](WindowState& s) { s.entries->push_back(expired_entry()); s.notice = Notice{"Copied", 0}; },
    };
    for (const auto& setup : k_setups) {
        setup(state);
        paint_frame(state);
        ASSERT_TRUE(state.gfx) << "a normal frame never drops the drawing resources";
        EXPECT_TRUE(state.gfx->target_bitmap);
    }
    WindowState without;
    paint_frame(without);  // nothing to draw with, and nothing wanted: nothing happens
    EXPECT_FALSE(without.gfx);
}

double g_retry_now = 0;
double retry_clock() { return g_retry_now; }

TEST(PaintFrame, MissingResourcesAreMadeAgainWhenTheirAttemptIsDue)
{
    // A window that cannot have a swap chain (it is gone) fails every attempt; the attempts follow
    // the schedule, never more than a few a second.
    WindowState state;
    state.hwnd = nullptr;
    state.clock = &retry_clock;
    g_retry_now = 100;
    create_gfx_or_retry(state);
    ASSERT_FALSE(state.gfx);
    ASSERT_TRUE(state.gfx_retry);
    EXPECT_EQ(state.gfx_retry->failures, 1u);
    EXPECT_EQ(gfx_retry_wait_ms(state), std::optional<uint32_t>(100));
    g_retry_now = 100.05;
    paint_frame(state);  // not due yet: no attempt
    EXPECT_EQ(state.gfx_retry->failures, 1u);
    EXPECT_EQ(gfx_retry_wait_ms(state), std::optional<uint32_t>(50));
    g_retry_now = 100.1;
    paint_frame(state);
    EXPECT_EQ(state.gfx_retry->failures, 2u);
    EXPECT_EQ(gfx_retry_wait_ms(state), std::optional<uint32_t>(250));

    // A window that can: the next due attempt makes them, and nothing is scheduled any more.
    TestWindow window(320, 240);
    REQUIRE_WINDOW(window);
    state.hwnd = window.get();
    state.dpi = 96;
    g_retry_now = 101;
    paint_frame(state);
    EXPECT_TRUE(state.gfx);
    EXPECT_FALSE(state.gfx_retry);
    EXPECT_EQ(gfx_retry_wait_ms(state), std::nullopt);
}

TEST(GfxRetry, AttemptsStayAFewASecondAndThinOut)
{
    uint32_t previous = 0;
    double scheduled_ms = 0;
    for (uint32_t failures = 1; failures <= 200; ++failures) {
        const uint32_t delay = gfx_retry_delay_ms(failures);
        EXPECT_GE(delay, 100u) << failures;
        EXPECT_GE(delay, previous) << "the schedule never speeds up again";
        previous = delay;
        scheduled_ms += delay;
        if (failures == 5) {
            EXPECT_LE(scheduled_ms, 1100) << "a device back after a second is found at once";
        }
    }
    EXPECT_LE(previous, 5000u);
}

namespace {

CertificateEntry valid_entry(std::string common_name, uint32_t serial)
{
    CertificateEntry entry;
    entry.info.subject_cn = std::move(common_name);
    entry.info.issuer_org = "yessign";
    entry.info.serial_hex = std::to_string(serial);
    entry.info.not_after = 4'000'000'000;  // 2096: valid
    entry.info.policy_oids = {"1.2.410.200005.1.1.1"};  // all-purpose, personal: a chip after the title
    entry.copies.push_back(CertificateCopy{L"C:\\NPKI\\yessign\\USER\\a", "yessign", "C:", false, true, false});
    return entry;
}

}  // namespace

TEST(MainView, HoverRepaintsOnlyWhenItsTargetLooksDifferent)
{
    // The real window procedure on a real (hidden) window: a move that keeps the hover where it was
    // leaves no update region behind, one that changes what is highlighted does.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Vessop.HoverTest";
    RegisterClassExW(&wc);
    if (!windows_available()) GTEST_SKIP() << "no X display for windows; run under tests/with_display.sh";
    const HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"hover", WS_POPUP, 0, 0, 1000, 600, nullptr, nullptr,
                                      wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    // Shown without activation: a hidden window keeps no update region under Wine.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    WindowState state;
    state.hwnd = hwnd;
    state.dpi = 96;
    state.gfx = create_gfx(hwnd, 96);
    ASSERT_TRUE(state.gfx);
    state.entries = std::vector<CertificateEntry>{valid_entry("One", 1), valid_entry("Two", 2)};
    ASSERT_TRUE(window_state_slot().fill(std::move(state)));

    std::vector<RowButton> buttons;
    {
        auto lease = window_state_slot().take();
        buttons = row_buttons(*lease, card_rect(view_metrics_of(*lease), 0, 0));
    }
    ASSERT_EQ(buttons.size(), 3u);
    const RectF recycle = buttons[0].rect;
    const RectF open_folder = buttons[1].rect;
    const float y = recycle.y + recycle.height / 2;
    const struct {
        float x, y;
        bool repaint;
        const char* what;
    } k_moves[] = {
        {recycle.x + 5, y, true, "onto Recycle"},
        {recycle.x + 9, y + 1, false, "within Recycle"},
        {recycle.x - 3, y, true, "into the gap: the card"},
        {open_folder.x - 3, y, false, "elsewhere on the same card"},
        {open_folder.x + 5, y, true, "onto Open folder"},
        {open_folder.x + 5, y + 106, true, "the same button on the next card"},
        {500, 30, true, "off the cards into the header's empty middle"},
        {501, 31, false, "within the header's empty middle"},
    };
    for (const auto& move : k_moves) {
        ValidateRect(hwnd, nullptr);
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<int>(move.x), static_cast<int>(move.y)));
        EXPECT_EQ(GetUpdateRect(hwnd, nullptr, FALSE) != FALSE, move.repaint) << move.what;
    }
    DestroyWindow(hwnd);
    window_state_slot().discard();
}

TEST(MainView, OddNamesStayOnTheirLineAndClearOfThePill)
{
    // Empty, very long, combining and right-to-left names: each card's title is cut before the room
    // kept for the pill, so nothing is inked between the chip's end and the pill.
    TestWindow window(1000, 760);
    REQUIRE_WINDOW(window);
    WindowState state = state_for(window.get(), 96);
    ASSERT_TRUE(state.gfx);
    const std::string long_name(300, 'W');
    state.entries = std::vector<CertificateEntry>{
        valid_entry("", 1),
        valid_entry(long_name + "()1234567890", 2),
        valid_entry("e\xCC\x81\xCC\x81\xCC\x81 \xED\x95\x9C\xE1\x84\x80\xE1\x85\xA1()1234567890", 3),  // combining marks, jamo
        valid_entry("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 " + long_name, 4),  // Hebrew, Arabic
    };
    Offscreen screen(*state.gfx, 1000, 760);
    ASSERT_TRUE(screen.draw([&] {
        fill_rect(*state.gfx, {0, 0, 1000, 760}, palette_for(false).background);
        draw_main_view(state);
    }));
    const ViewMetrics m = view_metrics(1000, 760, 96);
    for (size_t i = 0; i < state.entries->size(); ++i) {
        const RectF card = card_rect(m, i, 0);
        const std::string badge = status_badge(expiry_of((*state.entries)[i].info.not_after, now_seconds())).text;
        const float pill_left = card.x + card.width - 14 - (measure_text(*state.gfx, badge, TextStyle::small) + 20);
        // The chip ends at most 100 - 10 - (chip width) before the pill; the last 20 px before it stay clear.
        for (UINT x = static_cast<UINT>(pill_left - 20); x < static_cast<UINT>(pill_left - 1); ++x) {
            for (UINT y = static_cast<UINT>(card.y + 12); y < static_cast<UINT>(card.y + 38); ++y) {
                const Pixel p = screen.at(x, y);
                ASSERT_TRUE(p.r == 255 && p.g == 255 && p.b == 255)
                    << "card " << i << ": ink at " << x << "," << y << " (" << int(p.r) << "," << int(p.g) << ","
                    << int(p.b) << ")";
            }
        }
    }
}

namespace {

// Draws the whole frame of a state (background, main view, pane, notice) offscreen.
bool draw_frame(Offscreen& screen, WindowState& state)
{
    return screen.draw([&] {
        fill_rect(*state.gfx, {0, 0, 100000, 100000}, palette_for(state.dark, state.high_contrast).background);
        draw_main_view(state);
        draw_detail_pane(state);
        draw_notice(state);
    });
}

Pixel pixel_of(Colour c)
{
    return blend(c, c);
}

}  // namespace

TEST(MainView, FocusRingShowsOnlyWithTheCuesAndLeavesRestingPixelsAlone)
{
    TestWindow window(1000, 600);
    REQUIRE_WINDOW(window);
    WindowState state = state_for(window.get(), 96);
    ASSERT_TRUE(state.gfx);
    state.entries = std::vector<CertificateEntry>{valid_entry("One", 1), valid_entry("Two", 2)};
    Offscreen at_rest(*state.gfx, 1000, 600);
    ASSERT_TRUE(draw_frame(at_rest, state));

    // Focus without the cues (the mouse was used since): not a pixel differs from no focus at all.
    state.focus = HitTarget{HitKind::Card, CardAction::Copy, 1};
    Offscreen hidden(*state.gfx, 1000, 600);
    ASSERT_TRUE(draw_frame(hidden, state));
    for (UINT y = 0; y < 600; ++y)
        for (UINT x = 0; x < 1000; ++x) {
            const Pixel a = at_rest.at(x, y);
            const Pixel b = hidden.at(x, y);
            ASSERT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b) << "pixel " << x << "," << y;
        }

    // With the cues: 2 px of accent, 1 px clear of the element, around the card, a toolbar button and
    // a pane row alike.
    const Palette& light = k_light_palette;
    const ViewMetrics m = view_metrics(1000, 600, 96);
    const RectF card = card_rect(m, 1, 0);
    const RectF refresh = toolbar_items(state)[1].rect;
    struct Probe {
        HitTarget focus;
        std::optional<size_t> selection;
        RectF rect;
        Colour outside;
        const char* what;
    };
    state.focus_cues = true;
    const std::vector<Probe> probes = {
        {HitTarget{HitKind::Card, CardAction::Copy, 1}, std::nullopt, card, light.background, "card"},
        {HitTarget{HitKind::Refresh}, std::nullopt, refresh, light.header, "refresh"},
    };
    for (const Probe& probe : probes) {
        state.focus = probe.focus;
        Offscreen shown(*state.gfx, 1000, 600);
        ASSERT_TRUE(draw_frame(shown, state));
        const UINT x = static_cast<UINT>(probe.rect.x);
        const UINT y = static_cast<UINT>(probe.rect.y + probe.rect.height / 2);
        expect_pixel(shown.at(x - 3, y), pixel_of(light.accent), std::string(probe.what) + ": ring, outer pixel");
        expect_pixel(shown.at(x - 2, y), pixel_of(light.accent), std::string(probe.what) + ": ring, inner pixel");
        expect_pixel(shown.at(x - 1, y), pixel_of(probe.outside), std::string(probe.what) + ": the gap");
        expect_pixel(shown.at(x - 4, y), pixel_of(probe.outside), std::string(probe.what) + ": outside the ring");
        expect_pixel(shown.at(static_cast<UINT>(probe.rect.x + probe.rect.width / 2), static_cast<UINT>(probe.rect.y) - 3),
                     pixel_of(light.accent), std::string(probe.what) + ": ring above");
    }

    // A row of the open pane, over the panel's surface.
    state.selection = 0;
    state.focus = HitTarget{HitKind::DetailRow, CardAction::Copy, 2};
    const std::optional<DetailLayout> pane = detail_layout(state);
    ASSERT_TRUE(pane);
    Offscreen in_pane(*state.gfx, 1000, 600);
    ASSERT_TRUE(draw_frame(in_pane, state));
    const RectF row = pane->rows[2];
    expect_pixel(in_pane.at(static_cast<UINT>(row.x) - 3, static_cast<UINT>(row.y + 16)), pixel_of(light.accent), "row ring");
    expect_pixel(in_pane.at(static_cast<UINT>(row.x) - 5, static_cast<UINT>(row.y + 16)), pixel_of(light.surface),
                 "the panel beside the row ring");
}

TEST(MainView, HighContrastTakesTheSystemColoursAndShowsHoverByWidth)
{
    TestWindow window(1000, 600);
    REQUIRE_WINDOW(window);
    WindowState state = state_for(window.get(), 96);
    ASSERT_TRUE(state.gfx);
    // Windows' "High Contrast Black".
    const SystemColours colours{rgb255(0, 0, 0),     rgb255(255, 255, 255), rgb255(26, 235, 255), rgb255(0, 0, 0),
                                rgb255(0, 0, 0),     rgb255(63, 242, 63),   rgb255(255, 255, 0)};
    state.high_contrast = colours;
    state.dark = false;  // the light palette is ignored
    state.entries = std::vector<CertificateEntry>{valid_entry("One", 1), valid_entry("Two", 2), expired_entry()};
    state.hover = HitTarget{HitKind::CardButton, CardAction::Recycle, 1};
    state.focus = HitTarget{HitKind::Card, CardAction::Copy, 0};
    state.focus_cues = true;
    Offscreen screen(*state.gfx, 1000, 600);
    ASSERT_TRUE(draw_frame(screen, state));

    const ViewMetrics m = view_metrics(1000, 600, 96);
    const RectF first = card_rect(m, 0, 0);
    const RectF second = card_rect(m, 1, 0);
    const UINT mid0 = static_cast<UINT>(first.y + 48);
    const UINT mid1 = static_cast<UINT>(second.y + 48);
    const UINT x0 = static_cast<UINT>(first.x);
    expect_pixel(screen.at(10, 580), {0, 0, 0}, "background: window");
    expect_pixel(screen.at(500, 2), {0, 0, 0}, "header: button face");
    expect_pixel(screen.at(500, 51), {255, 255, 255}, "divider: window text");
    expect_pixel(screen.at(x0, mid0), {255, 255, 255}, "card outline: window text");
    expect_pixel(screen.at(x0 + 1, mid0), {0, 0, 0}, "card outline one pixel wide");
    expect_pixel(screen.at(x0 - 3, mid0), {26, 235, 255}, "focus ring: highlight");
    // Hover: the card's outline in hot-light, two pixels wide; its Recycle button outlined likewise.
    expect_pixel(screen.at(x0, mid1), {255, 255, 0}, "hovered card: hot-light");
    expect_pixel(screen.at(x0 + 1, mid1), {255, 255, 0}, "hovered card: two pixels wide");
    const std::vector<RowButton> buttons = row_buttons(state, second);
    const RectF recycle = buttons[0].rect;
    expect_pixel(screen.at(static_cast<UINT>(recycle.x) + 1, static_cast<UINT>(recycle.y + recycle.height / 2)),
                 {255, 255, 0}, "hovered button outline");
    const RectF copy = buttons[2].rect;
    expect_pixel(screen.at(static_cast<UINT>(copy.x) + 3, static_cast<UINT>(copy.y + copy.height / 2)), {0, 0, 0},
                 "a button at rest has no translucent fill");
    // "Add folder" filled with highlight; the title's ink is window text.
    const RectF add_folder = toolbar_items(state)[2].rect;
    expect_pixel(screen.at(static_cast<UINT>(add_folder.x) + 3, 26), {26, 235, 255}, "add folder: highlight");
    int brightest = 0;
    for (UINT y = static_cast<UINT>(first.y + 14); y < static_cast<UINT>(first.y + 36); ++y)
        for (UINT x = x0 + 72; x < x0 + 110; ++x) {
            const Pixel p = screen.at(x, y);
            brightest = std::max(brightest, std::min({p.r, p.g, p.b}));
        }
    EXPECT_GE(brightest, 200) << "the title is inked in window text";
}
