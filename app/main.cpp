// Vessop.exe: a GUI program (no console) that always ends with exit code 0.

#include "app/startup.h"
#include "base/command_line.h"
#include "base/error_mode.h"

#include <cstdlib>

#include <windows.h>

#if defined(__GLIBCXX__)
// libstdc++'s default terminate handler prints the uncaught exception's demangled type to standard
// error, which a windowed program does not have, and brings the whole C++ demangler and printf along
// (a twentieth of the program). Defined here, in the program's own object, it is what the runtime
// links instead; the end is the same, an immediate abort.
namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    load_libraries_from_system32_only();  // before anything loads a DLL
    fail_critical_errors_quietly();  // before anything can touch a drive
    try {
        // The full argument vector with the program's path first, which takes part in the option
        // comparisons like any other argument.
        run_vessop(command_line_arguments());
    } catch (...) {
        // Nothing is shown: start-up failures end the program silently.
    }
    return 0;
}
