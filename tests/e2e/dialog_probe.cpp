// Test helper: reads the message box the program shows, which screenshots could only guess at.
// Usage: dialog_probe message
// Prints the box's text (UTF-8, its own line feeds), then "default=N" with the id of its default
// button (6 = Yes, 7 = No, 1 = OK).
// Exit status 2 when no message box captioned "Vessop" is open.

#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

std::string utf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring text_of(HWND window)
{
    wchar_t buffer[8192] = {};
    GetWindowTextW(window, buffer, 8192);
    return buffer;
}

std::wstring class_of(HWND window)
{
    wchar_t buffer[64] = {};
    GetClassNameW(window, buffer, 64);
    return buffer;
}

BOOL CALLBACK find_box(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && class_of(window) == L"#32770" && text_of(window) == L"Vessop") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The message is the longest static text: the icon is a static control too, without text.
BOOL CALLBACK longest_static(HWND child, LPARAM best)
{
    auto* text = reinterpret_cast<std::wstring*>(best);
    if (_wcsicmp(class_of(child).c_str(), L"Static") == 0) {
        std::wstring t = text_of(child);
        if (t.size() > text->size()) *text = t;
    }
    return TRUE;
}

// The default button is the push button drawn as default (BS_DEFPUSHBUTTON); Wine's message box
// marks it so without answering DM_GETDEFID.
BOOL CALLBACK default_button(HWND child, LPARAM id)
{
    if (_wcsicmp(class_of(child).c_str(), L"Button") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        *reinterpret_cast<int*>(id) = GetDlgCtrlID(child);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "message") != 0) {
        std::fprintf(stderr, "usage: dialog_probe message\n");
        return 64;
    }
    HWND box = nullptr;
    EnumWindows(find_box, reinterpret_cast<LPARAM>(&box));
    if (!box) return 2;
    std::wstring text;
    EnumChildWindows(box, longest_static, reinterpret_cast<LPARAM>(&text));
    std::string out = utf8(text);
    std::string plain;
    for (char c : out)
        if (c != '\r') plain += c;
    std::printf("%s\n", plain.c_str());
    int id = 0;
    EnumChildWindows(box, default_button, reinterpret_cast<LPARAM>(&id));
    std::printf("default=%d\n", id);
    return 0;
}
