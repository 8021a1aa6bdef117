#include "app/remind.h"

#include "app/messages.h"
#include "app/reminder_delivery.h"
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
#include <functional>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

#ifndef WTS_SESSIONSTATE_LOCK
// MinGW-w64's wtsapi32.h lacks the extended session information: declared here as the Windows SDK has it.
constexpr WTS_INFO_CLASS WTSSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);
constexpr LONG WTS_SESSIONSTATE_LOCK = 0;
struct WTSINFOEX_LEVEL1_W {
    ULONG SessionId;
    WTS_CONNECTSTATE_CLASS SessionState;
    LONG SessionFlags;
    WCHAR WinStationName[WINSTATIONNAME_LENGTH + 1];
    WCHAR UserName[USERNAME_LENGTH + 1];
    WCHAR DomainName[DOMAIN_LENGTH + 1];
    LARGE_INTEGER LogonTime;
    LARGE_INTEGER ConnectTime;
    LARGE_INTEGER DisconnectTime;
    LARGE_INTEGER LastInputTime;
    LARGE_INTEGER CurrentTime;
    DWORD IncomingBytes;
    DWORD OutgoingBytes;
    DWORD IncomingFrames;
    DWORD OutgoingFrames;
    DWORD IncomingCompressedBytes;
    DWORD OutgoingCompressedBytes;
};
union WTSINFOEX_LEVEL_W {
    WTSINFOEX_LEVEL1_W WTSInfoExLevel1;
};
struct WTSINFOEXW {
    DWORD Level;
    WTSINFOEX_LEVEL_W Data;
};
#endif

namespace {

constexpr UINT k_icon_id = 1;
constexpr UINT_PTR k_timer_leave = 1;
constexpr UINT_PTR k_timer_retry_add = 2;
// The whole run ends within four and a half minutes of its start, whatever the notification does: the
// task stops it at five.
constexpr ULONGLONG k_longest_run_ms = 270'000;
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
    // The task runs this process below normal priority, which a child would inherit: the window the
    // user asked for runs at the normal one. The click gave us the foreground; it passes on to it.
    if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                       nullptr, &startup, &process)) {
        AllowSetForegroundWindow(process.dwProcessId);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

// One run's notification: the icon's data, what has become of it, and how to record it as told.
struct ReminderRun {
    NOTIFYICONDATAW data{};
    ReminderDelivery delivery{false};
    std::function<void()> record;  // called once, when the notification was first seen
    bool recorded = false;
    bool opened = false;
    UINT taskbar_created = 0;
};

ReminderRun* run_of(HWND hwnd) { return reinterpret_cast<ReminderRun*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void follow(HWND hwnd, ReminderRun& run, TrayStep step);

void add_icon(HWND hwnd, ReminderRun& run)
{
    if (run.delivery.added()) return;
    if (Shell_NotifyIconW(NIM_ADD, &run.data)) {
        run.data.uVersion = NOTIFYICON_VERSION_4;
        Shell_NotifyIconW(NIM_SETVERSION, &run.data);
        follow(hwnd, run, run.delivery.on(TrayEvent::Added));
    } else {
        follow(hwnd, run, run.delivery.on(TrayEvent::AddFailed));
    }
}

void follow(HWND hwnd, ReminderRun& run, TrayStep step)
{
    if (run.delivery.seen() && !std::exchange(run.recorded, true) && run.record) run.record();
    switch (step) {
    case TrayStep::AddIcon: add_icon(hwnd, run); break;
    case TrayStep::RetryLater: SetTimer(hwnd, k_timer_retry_add, k_add_retry_ms, nullptr); break;
    case TrayStep::Wait: break;
    case TrayStep::End: DestroyWindow(hwnd); break;
    }
}

LRESULT CALLBACK reminder_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    ReminderRun* run = run_of(hwnd);
    if (!run) return DefWindowProcW(hwnd, message, wparam, lparam);
    if (message == WM_APP_TRAY) {
        // NOTIFYICON_VERSION_4: the event is in the low word of lParam. A notification that timed out
        // into the notification centre can still be clicked there until the run's time is up.
        switch (LOWORD(lparam)) {
        case NIN_BALLOONSHOW: follow(hwnd, *run, run->delivery.on(TrayEvent::Shown)); return 0;
        case NIN_BALLOONTIMEOUT: follow(hwnd, *run, run->delivery.on(TrayEvent::TimedOut)); return 0;
        case NIN_BALLOONUSERCLICK:
        case NIN_SELECT:     // a click on the icon itself
        case NIN_KEYSELECT:  // or Enter on it
        case WM_LBUTTONUP:   // the same from a notification area that ignores the version
            // One click may come as several of these (the mouse message and NIN_SELECT): Vessop opens once.
            if (!std::exchange(run->opened, true)) open_vessop();
            follow(hwnd, *run, run->delivery.on(TrayEvent::Clicked));
            return 0;
        default: return 0;
        }
    }
    if (message == WM_TIMER && wparam == k_timer_leave) {
        follow(hwnd, *run, run->delivery.on(TrayEvent::TimeUp));
        return 0;
    }
    if (message == WM_TIMER && wparam == k_timer_retry_add) {
        KillTimer(hwnd, k_timer_retry_add);
        add_icon(hwnd, *run);
        return 0;
    }
    if (message == WM_WTSSESSION_CHANGE) {
        if (wparam == WTS_SESSION_LOCK) follow(hwnd, *run, run->delivery.on(TrayEvent::Locked));
        if (wparam == WTS_SESSION_UNLOCK) follow(hwnd, *run, run->delivery.on(TrayEvent::Unlocked));
        return 0;
    }
    if (run->taskbar_created != 0 && message == run->taskbar_created) {
        // Explorer restarted and took the icon with it: it comes back, and the notification with it
        // unless that was seen already.
        if (run->delivery.added() && !run->delivery.seen()) Shell_NotifyIconW(NIM_ADD, &run->data);
        return 0;
    }
    if (message == WM_DESTROY) {
        if (run->delivery.added()) Shell_NotifyIconW(NIM_DELETE, &run->data);
        WTSUnRegisterSessionNotification(hwnd);
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

// Whether this session is locked now. Unknown (an older system, or one that does not say) counts as
// unlocked: the notification is then tried at once.
bool session_locked()
{
    WTSINFOEXW* info = nullptr;
    DWORD size = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSSessionInfoEx,
                                     reinterpret_cast<LPWSTR*>(&info), &size) || !info)
        return false;
    const bool locked = size >= sizeof(WTSINFOEXW) && info->Level == 1 &&
                        info->Data.WTSInfoExLevel1.SessionFlags == WTS_SESSIONSTATE_LOCK;
    WTSFreeMemory(info);
    return locked;
}

// Shows the notification (once the session is unlocked, and once the notification area is there) and
// waits until it is clicked, goes unclicked or the run's time is up. `record` runs once, when the
// notification was shown or clicked.
void notify(const std::string& message, ULONGLONG started, std::function<void()> record)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = reminder_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = k_reminder_window_class;
    RegisterClassExW(&window_class);

    ReminderRun run;
    run.record = std::move(record);
    run.delivery = ReminderDelivery(session_locked());
    run.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    // Never shown: it only receives the notification area's and the session's messages.
    const HWND hwnd = CreateWindowExW(0, k_reminder_window_class, k_main_window_title, WS_OVERLAPPED, 0, 0, 0, 0,
                                      nullptr, nullptr, instance, &run);
    if (!hwnd) return;
    WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION);

    const HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    const HICON large_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                           LR_DEFAULTCOLOR));
    NOTIFYICONDATAW& data = run.data;
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

    const ULONGLONG spent = GetTickCount64() - started;
    const ULONGLONG left = spent < k_longest_run_ms ? k_longest_run_ms - spent : 0;
    SetTimer(hwnd, k_timer_leave, static_cast<UINT>(std::max<ULONGLONG>(left, USER_TIMER_MINIMUM)), nullptr);
    follow(hwnd, run, run.delivery.start());
    MSG msg{};
    while (IsWindow(hwnd) && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
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
    const auto record = [&] {
        if (plan.reminded != reminded) write_lines_setting(k_setting_reminded, plan.reminded);
    };
    if (plan.due.empty()) {
        record();  // only certificates no longer found are dropped
        return 0;
    }
    // Recorded as soon as the notification is seen, not before: one that never came up is told again
    // at the next run; one seen is not told twice even when the task's time limit cuts the run short.
    notify(reminder_message(plan.due), started, record);
    return 0;
}
