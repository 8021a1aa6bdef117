#pragma once

// The ordered list of folders a scan looks in. The platform side (environment, drives, the added
// folders setting) is gathered by the functions at the bottom; the ordering itself is a pure
// function over those values so that it can be checked without touching the machine.

#include "npki/inventory.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One usable drive: a fixed disk or a removable (USB) drive.
struct DriveInfo {
    Path root;               // "D:\" with the letter upper-cased
    bool removable = false;  // GetDriveTypeW said DRIVE_REMOVABLE
};

// The environment variables that name default places; an absent value drops its place.
struct SearchEnvironment {
    std::optional<Path> user_profile;       // USERPROFILE
    std::optional<Path> app_data;           // APPDATA
    std::optional<Path> local_app_data;     // LOCALAPPDATA
    std::optional<Path> program_files;      // ProgramFiles
    std::optional<Path> program_files_x86;  // ProgramFiles(x86)
};

// The drive types worth searching, as GetDriveTypeW numbers them.
inline constexpr unsigned k_drive_removable = 2;
inline constexpr unsigned k_drive_fixed = 3;

// Drives from the GetLogicalDrives bit mask (bit 0 = A) and a drive-type query per root,
// in letter order; only fixed and removable drives are kept.
template <class DriveTypeOf>
std::vector<DriveInfo> drives_from_mask(uint32_t mask, DriveTypeOf&& drive_type_of)
{
    std::vector<DriveInfo> drives;
    for (unsigned bit = 0; bit < 26; ++bit) {
        if (!(mask & (uint32_t{1} << bit))) continue;
        Path root{static_cast<wchar_t>(L'A' + bit), L':', L'\\'};
        const unsigned type = drive_type_of(root);
        if (type != k_drive_removable && type != k_drive_fixed) continue;
        drives.push_back({std::move(root), type == k_drive_removable});
    }
    return drives;
}

// The search roots in scan order: the command-line roots alone when there are any; otherwise the
// default place (USERPROFILE\AppData\LocalLow\NPKI), the NPKI folders under APPDATA, LOCALAPPDATA,
// ProgramFiles and ProgramFiles(x86), their UAC-virtualised copies (LOCALAPPDATA\VirtualStore\Program
// Files\NPKI and …\Program Files (x86)\NPKI), every drive's NPKI folder, then the added folders as stored.
std::vector<Path> search_roots_from(const std::vector<Path>& command_line_roots, const SearchEnvironment& environment,
                                    const std::vector<DriveInfo>& drives, const std::vector<Path>& added_folders);

// The plain spelling of a root given with the long-path prefix: "\\?\C:\x" is "C:\x" and
// "\\?\UNC\server\share\x" is "\\server\share\x". Other text, other device paths ("\\?\Volume{…}\",
// "\\?\C:" without a backslash, which is the volume itself) and "\\.\" paths come back unchanged.
Path without_long_path_prefix(std::wstring_view root);

// Reads the process environment. A variable that is missing or empty is absent: an empty value
// would make "\NPKI" (the root of whatever drive is current), which is no place anyone meant.
SearchEnvironment read_search_environment();

// Fixed and removable drives, A to Z.
std::vector<DriveInfo> list_drives();

// "Folders", the folders the user added: their paths joined by single line feeds, no line feed
// after the last, the empty text for no folders. Reading splits at each LF and drops a CR right
// before it (a value edited by hand with CRLF line ends reads the same), skips lines that are empty
// or only white space, and keeps every other line whole, untrimmed.
std::vector<std::string> split_folders_value(std::string_view value);
std::string join_folders_value(std::span<const std::string> folders);

// The folders the user added, in stored order.
std::vector<Path> read_added_folders();
// Stores the list as "Folders" (lossy UTF-8 for names that are not valid UTF-16). An empty list is
// stored as the empty text, so the value stays present.
void write_added_folders(std::span<const Path> folders);

// The root in its plain full form, so that every spelling of one folder (relative, "..", ".",
// forward slashes, the long-path prefix) gives one path_key, and copies found below it get their
// drive letter. GetFullPathNameW resolves a relative root against the current folder. A root it
// cannot take (empty text, too long) is kept as given: the scanner then skips it as before. A
// long-path root keeps its prefix when dropping it could name another folder (".." or a trailing dot
// are literal behind the prefix) or leave a path too long to open without it.
Path full_search_root(const Path& root);

// The roots for the next scan, each in its full form; called on the window thread once per scan so
// that drives plugged in and folders added since the last one are included.
std::vector<Path> collect_search_roots(const std::vector<Path>& command_line_roots);
