#include "app/remind.h"

#include "app/messages.h"
#include "app/reminder_task.h"
#include "app/settings.h"
#include "app/window_logic.h"
#include "base/settings_store.h"
#include "base/text.h"
#include "npki/reminders.h"
#include "npki/scanner.h"
#include "npki/search_roots.h"
#include "x509/dates.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT k_icon_id = 1;
constexpr UINT_PTR k_timer_leave = 1;
// The whole run ends within a minute of its start, whatever the notification does.
constexpr ULONGLONG k_longest_run_ms = 58'000;
constexpr wchar_t k_reminder_window_class[] = L"Vessop.Reminder";

// Vessop as the user would start it, or its running window brought to the front.
void open_vessop()
{
    if (const HWND running = FindWindowW(k_main_window_class, nullptr)) {
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);  // the click on our notification lets us pass the foreground on
        return;
    }
    const std::wstring program = this_program_path();
    if (program.empty()) return;
    std::wstring command_line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

LRESULT CALLBACK reminder_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_APP_TRAY) {
        // NOTIFYICON_VERSION_4: the event is in the low word of lParam. A notification that timed out
        // into the notification centre can still be clicked there until the run's minute is up.
        switch (LOWORD(lparam)) {
        case NIN_BALLOONUSERCLICK:
        case NIN_SELECT:     // a click on the icon itself
        case NIN_KEYSELECT:  // or Enter on it
        case WM_LBUTTONUP: {  // the same from a notification area that ignores the version
            // One click may come as several of these (the mouse message and NIN_SELECT): Vessop opens once.
            static bool opened = false;
            if (!std::exchange(opened, true)) open_vessop();
            DestroyWindow(hwnd);
            return 0;
        }
        default: return 0;
        }
    }
    if (message == WM_TIMER && wparam == k_timer_leave) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_DESTROY) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = hwnd;
        data.uID = k_icon_id;
        Shell_NotifyIconW(NIM_DELETE, &data);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Copies as much of `text` as fits into a fixed field, cut at a whole UTF-16 character.
template <size_t N>
void copy_field(wchar_t (&field)[N], const std::wstring& text)
{
    size_t length = std::min(text.size(), N - 1);
    if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
    std::wmemcpy(field, text.data(), length);
    field[length] = L'\0';
}

// Shows the notification and waits until it is clicked, dismissed or the run's minute is up.
void notify(const std::string& message, ULONGLONG started)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = reminder_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = k_reminder_window_class;
    RegisterClassExW(&window_class);
    // Never shown: it only receives the notification area's messages.
    const HWND hwnd = CreateWindowExW(0, k_reminder_window_class, k_main_window_title, WS_OVERLAPPED, 0, 0, 0, 0,
                                      nullptr, nullptr, instance, nullptr);
    if (!hwnd) return;

    const HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    const HICON large_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                           LR_DEFAULTCOLOR));
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd;
    data.uID = k_icon_id;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE | NIF_INFO | NIF_SHOWTIP;
    data.uCallbackMessage = WM_APP_TRAY;
    data.hIcon = icon;
    copy_field(data.szTip, k_main_window_title);
    copy_field(data.szInfoTitle, k_main_window_title);
    copy_field(data.szInfo, utf16_from_utf8(message));
    data.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON;
    data.hBalloonIcon = large_icon ? large_icon : icon;
    if (Shell_NotifyIconW(NIM_ADD, &data)) {
        data.uVersion = NOTIFYICON_VERSION_4;
        Shell_NotifyIconW(NIM_SETVERSION, &data);
        const ULONGLONG spent = GetTickCount64() - started;
        const ULONGLONG left = spent < k_longest_run_ms ? k_longest_run_ms - spent : 0;
        SetTimer(hwnd, k_timer_leave, static_cast<UINT>(std::max<ULONGLONG>(left, USER_TIMER_MINIMUM)), nullptr);
        MSG msg{};
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    } else {
        DestroyWindow(hwnd);
    }
    if (icon) DestroyIcon(icon);
    if (large_icon) DestroyIcon(large_icon);
}

}  // namespace

int run_remind_mode(const std::vector<Path>& command_line_roots)
{
    // A task left behind by someone who turned reminders off tells nothing, and costs no scan.
    if (!read_reminders()) return 0;
    const ULONGLONG started = GetTickCount64();
    std::optional<Inventory> inventory;
    try {
        inventory = run_scan(collect_search_roots(command_line_roots));
    } catch (...) {
        return 1;
    }
    const int64_t now = now_seconds();
    const std::vector<std::string> reminded = read_lines_setting(k_setting_reminded).value_or(std::vector<std::string>{});
    const ReminderPlan plan = plan_reminders(reminder_standings(inventory->entries, now), reminded);
    // Written before the notification: a run cut short by the task's time limit tells nothing twice.
    if (plan.reminded != reminded) write_lines_setting(k_setting_reminded, plan.reminded);
    if (!plan.due.empty()) notify(reminder_message(plan.due), started);
    return 0;
}
