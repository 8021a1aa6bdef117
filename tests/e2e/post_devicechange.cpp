// Test helper: Wine never sends WM_DEVICECHANGE, so the end-to-end tests post it to the main window
// the way Windows does when a drive is plugged in.
// Usage: post_devicechange COUNT [EVENT]   (EVENT defaults to DBT_DEVICEARRIVAL, 0x8000)
// Exit status 0 when every post succeeded, 2 when the window was not found, 1 otherwise.

#include <cstdio>
#include <cstdlib>

#include <windows.h>
#include <dbt.h>

int main(int argc, char** argv)
{
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 0) : 1;
    const unsigned long event = argc > 2 ? std::strtoul(argv[2], nullptr, 0) : DBT_DEVICEARRIVAL;
    const HWND window = FindWindowW(L"Vessop.Main", nullptr);
    if (!window) {
        std::printf("no window\n");
        return 2;
    }
    int failures = 0;
    for (long i = 0; i < count; ++i) {
        if (!PostMessageW(window, WM_DEVICECHANGE, event, 0)) ++failures;
        Sleep(20);  // a burst spread over a little time, like the events of one plug-in
    }
    std::printf("posted %ld\n", count - failures);
    return failures == 0 ? 0 : 1;
}
