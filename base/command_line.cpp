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

std::vector<std::wstring> arguments_after_program_name()
{
    std::vector<std::wstring> arguments = command_line_arguments();
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}
