#include "base/command_line.h"

#include "base/handle.h"

#include <windows.h>
#include <shellapi.h>

std::vector<std::wstring> command_line_arguments()
{
    int count = 0;
    UniqueLocalMem owner(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    if (!owner) return arguments;
    auto* argv = static_cast<wchar_t**>(owner.get());
    arguments.assign(argv, argv + count);
    return arguments;
}
