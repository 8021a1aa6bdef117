// Vessop with a way for a test to ask for an update check as the settings menu's "Check for
// updates" does: the program's own start-up and message loop, plus a thread timer that, whenever
// the file named by VESSOP_E2E_CHECK_TRIGGER appears, deletes it and calls the same
// request_update_check(hwnd, true). Everything the check does afterwards is the product's code.

#include "app/startup.h"
#include "app/update_control.h"
#include "base/command_line.h"

#include <string>

#include <windows.h>

namespace {

std::wstring g_trigger;

void CALLBACK poll_trigger(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_trigger.empty() || GetFileAttributesW(g_trigger.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    DeleteFileW(g_trigger.c_str());
    if (const HWND hwnd = FindWindowW(L"Vessop.Main", nullptr)) request_update_check(hwnd, true);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t buffer[1024]{};
    const DWORD n = GetEnvironmentVariableW(L"VESSOP_E2E_CHECK_TRIGGER", buffer, 1024);
    if (n && n < 1024) g_trigger.assign(buffer, n);
    SetTimer(nullptr, 0, 100, poll_trigger);  // a thread timer: dispatched by the program's own loop
    run_vessop(command_line_arguments());
    return 0;
}
