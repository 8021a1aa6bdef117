#pragma once

// The process's command line split as Windows splits it (CommandLineToArgvW), the program's own path
// first. Empty when the system cannot split it.

#include <string>
#include <vector>

std::vector<std::wstring> command_line_arguments();
// The same without the program's own path: the options a program was given.
std::vector<std::wstring> arguments_after_program_name();
