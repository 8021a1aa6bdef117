// What one frame of the main view costs with 10, 1,000 and 10,000 certificates: building and drawing
// the whole window (header, summary, the cards in view, notice) on a real Direct2D device, as
// WM_PAINT does, without presenting (which would only wait for the screen). Only the cards in view
// may do work, so the frame of 10,000 entries should cost what the frame of 10 costs.
//
// Needs a display under Wine: run it through tests/with_display.sh, for example
//   bash tests/with_display.sh build/mingw scripts/wine-run build/mingw/bin/bench_paint.exe
// Figures are CPU time of the process per frame (Direct2D may draw on helper threads), the median of
// several rounds of many frames each.

#include "app/window_state.h"
#include "bench/median.h"
#include "gfx/direct2d.h"
#include "gfx/main_view.h"
#include "x509/dates.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr int k_rounds = 7;
constexpr int k_frames_per_round = 100;

LRESULT CALLBACK plain_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

double process_cpu_seconds()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// A realistic spread: ends from a year ago to three years ahead, some soon, every fifth on a USB drive.
std::vector<CertificateEntry> entries(size_t count, int64_t now)
{
    std::vector<CertificateEntry> list;
    list.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        CertificateEntry entry;
        entry.info.subject_cn = "Holder " + std::to_string(i) + "()0012345678901234";
        entry.info.issuer_org = i % 2 ? "yessign" : "SignKorea";
        entry.info.serial_hex = std::to_string(i);
        entry.info.policy_oids = {"1.2.410.200005.1.1.1"};
        entry.info.not_after = now + (static_cast<int64_t>(i % 1460) - 365) * 86'400;
        const bool usb = i % 5 == 0;
        entry.copies.push_back({usb ? L"E:\\NPKI\\yessign\\USER\\c" : L"C:\\NPKI\\yessign\\USER\\c", "yessign",
                                usb ? "E:" : "C:", usb, true, false});
        list.push_back(std::move(entry));
    }
    return list;
}

// One frame as paint_frame draws it, into the window's back buffer, without Present.
void draw_frame(WindowState& state)
{
    Gfx& gfx = *state.gfx;
    gfx.device_context->SetTarget(gfx.target_bitmap.Get());
    gfx.render_target->BeginDraw();
    gfx.render_target->Clear(D2D1_COLOR_F{0.95f, 0.96f, 0.97f, 1});
    draw_main_view(state);
    draw_notice(state);
    gfx.render_target->EndDraw();
    gfx.device_context->SetTarget(nullptr);
}

}  // namespace

int main()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = plain_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Vessop.PaintBench";
    RegisterClassExW(&wc);
    const HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"paint bench", WS_POPUP, 0, 0, 1000, 760, nullptr, nullptr,
                                      wc.hInstance, nullptr);
    if (!hwnd) {
        std::fprintf(stderr, "no window: run under a display (tests/with_display.sh)\n");
        return 1;
    }
    WindowState state;
    state.hwnd = hwnd;
    state.dpi = 96;
    state.gfx = create_gfx(hwnd, 96);
    if (!state.gfx) {
        std::fprintf(stderr, "no Direct2D device\n");
        return 1;
    }
    state.notice = Notice{"Copied: Serial number", 0};
    const int64_t now = now_seconds();

    std::printf("%-8s %16s %12s\n", "entries", "CPU per frame", "vs 10");
    double base = 0;
    for (const size_t count : {size_t{10}, size_t{1000}, size_t{10000}}) {
        state.entries = entries(count, now);
        for (int i = 0; i < 20; ++i) draw_frame(state);  // warm-up: fonts, caches
        std::vector<double> rounds;
        for (int r = 0; r < k_rounds; ++r) {
            const double start = process_cpu_seconds();
            for (int i = 0; i < k_frames_per_round; ++i) draw_frame(state);
            rounds.push_back((process_cpu_seconds() - start) / k_frames_per_round);
        }
        const double per_frame = median(rounds);
        if (count == 10) base = per_frame;
        std::printf("%-8zu %13.3f ms %11.2fx\n", count, per_frame * 1000, per_frame / base);
    }
    DestroyWindow(hwnd);
    return 0;
}
