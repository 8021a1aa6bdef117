// Test helper: reports what Windows (Wine) itself says about the main window, which X11 tools cannot
// see: the Win32 class, the window and client rectangles, the DPI, the minimum tracking size and the
// primary work area. It also sends the messages a user would cause.
// Usage: window_probe info | minmax | close | restore | settingchange | resize W H | clipboard |
//        msgbox [CAPTION] | answer yes|no [CAPTION] | syscolour INDEX R G B | hold | hang
// "info" prints key=value lines; exit status 2 when no "Vessop.Main" window exists.
// "clipboard" prints the clipboard's text as UTF-8 on one line, carriage returns and line feeds
// written as \r and \n, so that what the program put there can be compared exactly.
// "msgbox" prints the text of the visible message box with that caption ("Vessop" when none is
// given), then a last line "default=N" with the id of its default button (6 Yes, 7 No, 1 OK); exit
// status 2 when there is no such box. "answer" clicks its Yes or No button, as the user would.
// "hold" keeps the desktop open until it is killed (it prints "holding" once it does); "hang" never
// ends, for the test that shows a hung helper is caught.

#include "base/text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <windows.h>

namespace {

void print_rect(const char* name, const RECT& r)
{
    std::printf("%s=%ld,%ld,%ld,%ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int info(HWND window)
{
    wchar_t class_name[64]{};
    GetClassNameW(window, class_name, 64);
    wchar_t title[64]{};
    GetWindowTextW(window, title, 64);
    std::printf("class=%s\ntitle=%s\n", utf8_from_utf16_until_nul(class_name, 64).c_str(),
                utf8_from_utf16_until_nul(title, 64).c_str());
    std::printf("visible=%d\nmaximised=%d\n", IsWindowVisible(window) ? 1 : 0, IsZoomed(window) ? 1 : 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    print_rect("window", rect);
    GetClientRect(window, &rect);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, rect.right, rect.bottom);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    print_rect("normal", placement.rcNormalPosition);
    std::printf("dpi=%u\n", GetDpiForWindow(window));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    print_rect("work", monitor.rcWork);
    return 0;
}

int minmax(HWND window)
{
    // The system marshals MINMAXINFO for a sent WM_GETMINMAXINFO, so the handler's answer comes back.
    MINMAXINFO limits{};
    limits.ptMinTrackSize = {1, 1};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    std::printf("mintrack=%ld,%ld\n", limits.ptMinTrackSize.x, limits.ptMinTrackSize.y);
    return 0;
}

void print_escaped(std::wstring_view text)
{
    std::string out;
    for (const wchar_t c : text) {
        if (c == L'\r') out += "\\r";
        else if (c == L'\n') out += "\\n";
        else out += utf8_from_utf16(std::wstring_view(&c, 1));
    }
    std::printf("%s\n", out.c_str());
}

int clipboard()
{
    if (!OpenClipboard(nullptr)) return 1;
    int status = 1;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            print_escaped(text);
            GlobalUnlock(data);
            status = 0;
        }
    }
    CloseClipboard();
    return status;
}

std::wstring text_of(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextW(window, text.data(), length + 1), 0)));
    return text;
}

bool is_class(HWND window, const wchar_t* name)
{
    wchar_t class_name[64]{};
    GetClassNameW(window, class_name, 64);
    return _wcsicmp(class_name, name) == 0;
}

// The visible message box (a dialog) with the given caption.
HWND find_message_box(const std::wstring& caption)
{
    struct Search {
        const std::wstring* caption;
        HWND found = nullptr;
    } search{&caption};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (!IsWindowVisible(window) || !is_class(window, L"#32770") || text_of(window) != *s->caption) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int message_box(const std::wstring& caption)
{
    const HWND box = find_message_box(caption);
    if (!box) return 2;
    // The message is the longest static text (the icon is a static control without text); the
    // default button is the push button drawn as default, as Wine does not answer DM_GETDEFID.
    struct Found {
        std::wstring text;
        int default_id = 0;
    } found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            auto* f = reinterpret_cast<Found*>(param);
            if (is_class(child, L"Static")) {
                std::wstring text = text_of(child);
                if (text.size() > f->text.size()) f->text = std::move(text);
            } else if (is_class(child, L"Button") &&
                       (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                f->default_id = GetDlgCtrlID(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::string text = utf8_from_utf16(found.text);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::printf("%s\ndefault=%d\n", text.c_str(), found.default_id);
    return 0;
}

// Clicks the box's Yes or No button. (Keys typed with xdotool were seen to answer the next program's
// box as well under Wine.)
int answer(const char* which, const std::wstring& caption)
{
    const HWND box = find_message_box(caption);
    if (!box) return 2;
    const HWND button = GetDlgItem(box, std::strcmp(which, "yes") == 0 ? IDYES : IDNO);
    if (!button) return 1;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
}

// A hidden window makes this process one of the desktop's users, so Wine does not close the desktop
// while the test starts and ends its programs.
int hold()
{
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window) return 1;
    std::printf("holding\n");
    std::fflush(stdout);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "info";
    if (std::strcmp(command, "hold") == 0) return hold();
    if (std::strcmp(command, "hang") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    if (std::strcmp(command, "clipboard") == 0) return clipboard();
    if (std::strcmp(command, "msgbox") == 0) return message_box(utf16_from_utf8(argc > 2 ? argv[2] : "Vessop"));
    if (std::strcmp(command, "answer") == 0 && argc > 2)
        return answer(argv[2], utf16_from_utf8(argc > 3 ? argv[3] : "Vessop"));
    const HWND window = FindWindowW(L"Vessop.Main", nullptr);
    if (!window) {
        std::printf("no window\n");
        return 2;
    }
    if (std::strcmp(command, "info") == 0) return info(window);
    if (std::strcmp(command, "minmax") == 0) return minmax(window);
    if (std::strcmp(command, "close") == 0) return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (std::strcmp(command, "resize") == 0 && argc > 3) {
        // Windows keeps a resizable top-level window at least at its minimum tracking size.
        const int width = std::atoi(argv[2]);
        const int height = std::atoi(argv[3]);
        return SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
    }
    if (std::strcmp(command, "restore") == 0) {
        // As the title bar's restore button does.
        return PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1;
    }
    if (std::strcmp(command, "settingchange") == 0) {
        // What Windows sends every top-level window when the app light/dark mode changes.
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                                   SMTO_ABORTIFHUNG, 5000, &result)
                   ? 0
                   : 1;
    }
    if (std::strcmp(command, "syscolour") == 0 && argc > 5) {
        // As the Control Panel does: a system colour changes for the session and every top-level
        // window gets WM_SYSCOLORCHANGE.
        const int index = std::atoi(argv[2]);
        const COLORREF colour = RGB(std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
        return SetSysColors(1, &index, &colour) ? 0 : 1;
    }
    std::printf("unknown command\n");
    return 1;
}
