#pragma once

// Existence tests by file-system attributes. Anything the system cannot tell (missing, access
// denied, no medium) counts as "not there". And a whole file written so that it is never seen half
// done.

#include "base/path.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include <windows.h>

// A file, not a folder.
bool is_file(const Path& path);
bool is_folder(const Path& path);

// Which file or folder a path led to, as the file system tells it apart from every other: the
// volume's serial number and the 128-bit file ID (ReFS and Dev Drives need all 128 bits; other file
// systems fill the low 64). A path that names another folder later, one deleted and made anew, one
// replaced by a link, or the same name rewritten to another folder, gives another identity.
struct FileIdentity {
    uint64_t volume_serial = 0;
    std::array<uint8_t, 16> file_id{};
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names, the link itself when it is one (never its target); empty when it
// cannot be opened or the file system tells no identity.
std::optional<FileIdentity> file_identity(const Path& path);
// The identity of what an open handle is: the 128-bit ID where the file system has one (ReFS and Dev
// Drives reuse 64-bit indexes), else the 64-bit index.
std::optional<FileIdentity> file_identity_of(HANDLE handle);

// Whether `path` still names what had `identity` when it was recorded. A copy recorded without an
// identity (its file system gave none) cannot be checked and counts as the same.
bool still_the_same(const Path& path, const std::optional<FileIdentity>& identity);

// Writes `bytes` to a temporary file beside `target` and moves it over `target` only once it is
// complete and flushed, so a failure (a full disk, a locked file, a read-only folder) leaves any
// earlier file of that name as it was. 0 on success, else the Win32 error code; the temporary file
// never stays behind.
uint32_t write_file_replacing(const Path& target, std::string_view bytes);

// The names write_file_replacing tries for its temporary file, in order: "~0" … "~9", "~a" … "~z",
// "~10" …: as short as can be, so that a folder path near MAX_PATH (long paths off) that holds the
// target also holds the temporary file.
std::wstring temporary_name(size_t attempt);
