#include "npki/scan_options.h"

std::optional<ScanToolOptions> parse_scan_tool_arguments(const std::vector<std::wstring>& arguments)
{
    ScanToolOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--root") {
            if (i + 1 >= arguments.size()) return std::nullopt;  // a dangling --root names no folder
            options.roots.push_back(arguments[++i]);
        } else if (argument == L"--text") {
            options.text = true;
        } else if (argument == L"--csv") {
            options.csv = true;
        } else if (argument == L"--check-revocation") {
            options.check_revocation = true;
        } else if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
            options.help = true;
        } else {
            return std::nullopt;
        }
    }
    if (options.text && options.csv) return std::nullopt;  // one table or the other
    return options;
}
