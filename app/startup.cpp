#include "app/startup.h"

#include "app/scan_control.h"
#include "app/search_field.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/startup_logic.h"
#include "app/system_colours.h"
#include "app/update_control.h"
#include "app/reminder_task.h"
#include "app/remind.h"
#include "app/window_logic.h"
#include "app/window_proc.h"
#include "app/window_state.h"
#include "gfx/direct2d.h"
#include "x509/dates.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <objbase.h>

void register_main_window_class(HINSTANCE instance)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = 0;  // no CS_HREDRAW / CS_VREDRAW: every frame is drawn whole anyway
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));  // empty when the resource is missing
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = nullptr;  // nothing is erased; the swap chain covers the client area
    window_class.lpszClassName = k_main_window_class;
    RegisterClassExW(&window_class);
}

bool apply_initial_placement(HWND hwnd)
{
    if (const std::optional<RestoredPlacement> restored = read_placement()) {
        WINDOWPLACEMENT placement{};
        std::memcpy(&placement, restored->bytes.data(), k_placement_size);
        // Twice on purpose: when the saved rectangle lies on a monitor of another DPI, the first
        // call's WM_DPICHANGED resizes the window to the suggested rectangle; the second call puts
        // the saved rectangle back.
        SetWindowPlacement(hwnd, &placement);
        SetWindowPlacement(hwnd, &placement);
        return restored->maximised;
    }
    ScreenRect work{};
    MONITORINFO monitor_info{};
    monitor_info.cbSize = sizeof(monitor_info);
    if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor_info)) {
        work = {monitor_info.rcWork.left, monitor_info.rcWork.top, monitor_info.rcWork.right,
                monitor_info.rcWork.bottom};
    }
    const WindowBox box = default_window_box(work, GetDpiForWindow(hwnd));
    SetWindowPos(hwnd, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
    return false;
}

bool claim_automatic_update_check(uint64_t now_s)
{
    if (!automatic_check_due(read_auto_update(), now_s, read_last_update_check())) return false;
    // Recorded before the check starts, whether or not it later succeeds: one try per day.
    write_last_update_check(now_s);
    return true;
}

void run_automatic_update_check(HWND hwnd)
{
    const uint64_t now = static_cast<uint64_t>(std::max<int64_t>(now_seconds(), 0));  // 0 before 1970
    if (claim_automatic_update_check(now)) request_update_check(hwnd, false);
}

int run_vessop(std::span<const std::wstring> args)
{
    const CommandLineOptions options = parse_command_line(args);
    if (options.unregister) {
        delete_settings();  // without a window; the outcomes do not matter
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        remove_reminder_task();
        CoUninitialize();
        return 0;
    }
    if (options.remind) return run_remind_mode(options.roots);

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // never uninitialised: the process ends with it

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    register_main_window_class(instance);
    const HWND hwnd = CreateWindowExW(0, k_main_window_class, k_main_window_title, WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 1000, 760, nullptr, nullptr, instance,
                                      nullptr);
    if (!hwnd) return 0;

    const bool dark = read_dark_mode();
    set_dark_title_bar(hwnd, dark);
    const bool maximised = apply_initial_placement(hwnd);

    const uint32_t dpi = effective_dpi(GetDpiForWindow(hwnd));
    WindowState state;
    state.command_line_roots = options.roots;
    state.hwnd = hwnd;
    state.dpi = dpi;
    state.search_field = create_search_field(hwnd);
    // Without them the window opens and works, and tries again shortly to draw.
    create_gfx_or_retry(state);
    state.dark = dark;
    state.high_contrast = read_high_contrast();
    start_scan(state);  // before the window shows: the first frame already says it is searching
    window_state_slot().fill(std::move(state));

    ShowWindow(hwnd, maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    // The first frame ("Searching…") is painted now, not after what follows: the update decision and
    // the reminder task (Task Scheduler's COM service) can take a while and change nothing on screen.
    UpdateWindow(hwnd);
    run_automatic_update_check(hwnd);
    // Created, or corrected after the program moved; a failure is tried again at the next start. With
    // reminders off, a task left over (one that could not be removed, or an administrator's value)
    // goes: nobody who turned reminders off is reminded.
    settle_reminder_task_in_background(read_reminders);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
