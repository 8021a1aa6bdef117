// Vessop.exe: a GUI program (no console) that always ends with exit code 0.

#include "app/startup.h"
#include "base/handle.h"

#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    try {
        // The full argument vector with the program's path first, which takes part in the option
        // comparisons like any other argument.
        int count = 0;
        UniqueLocalMem owner(CommandLineToArgvW(GetCommandLineW(), &count));
        std::vector<std::wstring> args;
        if (owner) {
            auto* argv = static_cast<wchar_t**>(owner.get());
            args.assign(argv, argv + count);
        }
        run_vessop(args);
    } catch (...) {
        // Nothing is shown: start-up failures end the program silently.
    }
    return 0;
}
