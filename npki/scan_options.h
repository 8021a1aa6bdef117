#pragma once

// The command line of vessop-scan.exe: `--root FOLDER` (repeatable; the argument after it is taken
// whole as the folder, as the main program does) limits the scan to those folders; `--text` asks
// for the readable table instead of JSON, `--csv` for the table a spreadsheet opens;
// `--check-revocation` asks the issuers which of the certificates found they have revoked (the option
// is the consent: it contacts their servers).

#include "npki/inventory.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScanToolOptions {
    std::vector<Path> roots;  // empty: the default places, the drives and the added folders
    bool text = false;
    bool csv = false;
    bool check_revocation = false;
    bool help = false;
};

inline constexpr std::string_view k_scan_tool_usage = "usage: vessop-scan [--root FOLDER]... [--text | --csv] [--check-revocation]\n";

// The arguments after the program name; nothing when one is not understood or `--root` lacks its folder.
std::optional<ScanToolOptions> parse_scan_tool_arguments(const std::vector<std::wstring>& arguments);
