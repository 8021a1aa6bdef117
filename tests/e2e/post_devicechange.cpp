// Test helper: Wine never sends WM_DEVICECHANGE, so the end-to-end tests send it to the main window
// the way Windows does when a drive comes or goes: with a volume description in lParam. Arrival and
// removal events carry a pointer, so the system refuses to post them; they are sent, as Windows does.
// Usage: post_devicechange COUNT [EVENT]   (EVENT defaults to DBT_DEVICEARRIVAL, 0x8000)
// Prints how many messages were delivered and what the window answered. Exit status 0 when every
// message was delivered and answered TRUE, 2 when the window was not found, 1 otherwise.

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
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << 4;  // E:
    const LPARAM detail = (event & 0x8000) ? reinterpret_cast<LPARAM>(&volume) : 0;
    long delivered = 0;
    long answered_true = 0;
    for (long i = 0; i < count; ++i) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(window, WM_DEVICECHANGE, event, detail, SMTO_ABORTIFHUNG, 5000, &answer)) {
            ++delivered;
            if (answer == TRUE) ++answered_true;
        }
        Sleep(20);  // a burst spread over a little time, like the events of one plug-in
    }
    std::printf("delivered %ld, answered TRUE %ld\n", delivered, answered_true);
    return delivered == count && answered_true == count ? 0 : 1;
}
