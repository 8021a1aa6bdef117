// Test helper: reports what Windows (Wine) itself says about the main window, which X11 tools cannot
// see: the Win32 class, the window and client rectangles, the DPI, the minimum tracking size and the
// primary work area. It also sends the messages a user would cause.
// Usage: window_probe info | minmax | close | restore | settingchange | resize W H | clipboard |
//        dialog TITLE | syscolour INDEX R G B
// "info" prints key=value lines; exit status 2 when no "Vessop.Main" window exists. "clipboard" and
// "dialog" print the clipboard's text and a message box's text as UTF-8 on one line, carriage returns
// and line feeds written as \r and \n, so that what the program put there can be compared exactly.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
    char class_utf8[128]{};
    char title_utf8[128]{};
    WideCharToMultiByte(CP_UTF8, 0, class_name, -1, class_utf8, sizeof(class_utf8), nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, title, -1, title_utf8, sizeof(title_utf8), nullptr, nullptr);
    std::printf("class=%s\ntitle=%s\n", class_utf8, title_utf8);
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

void print_escaped(const wchar_t* text)
{
    std::string out;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p == L'\r') { out += "\\r"; continue; }
        if (*p == L'\n') { out += "\\n"; continue; }
        char utf8[8]{};
        const int n = WideCharToMultiByte(CP_UTF8, 0, p, 1, utf8, sizeof(utf8), nullptr, nullptr);
        out.append(utf8, n > 0 ? n : 0);
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

// A message box is a dialog whose text is the static control with the id -1.
int dialog(const char* title)
{
    wchar_t wide_title[256]{};
    MultiByteToWideChar(CP_UTF8, 0, title, -1, wide_title, 256);
    const HWND box = FindWindowW(L"#32770", wide_title);
    if (!box) return 2;
    wchar_t text[4096]{};
    GetDlgItemTextW(box, 0xFFFF, text, 4096);
    print_escaped(text);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "info";
    if (std::strcmp(command, "clipboard") == 0) return clipboard();
    if (std::strcmp(command, "dialog") == 0 && argc > 2) return dialog(argv[2]);
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
