#pragma once

// Existence tests by file-system attributes. Anything the system cannot tell (missing, access
// denied, no medium) counts as "not there". And a whole file written so that it is never seen half
// done.

#include "base/path.h"

#include <cstdint>
#include <string_view>

// A file, not a folder.
bool is_file(const Path& path);
bool is_folder(const Path& path);

// Writes `bytes` to a temporary file beside `target` and moves it over `target` only once it is
// complete and flushed, so a failure (a full disk, a locked file, a read-only folder) leaves any
// earlier file of that name as it was. 0 on success, else the Win32 error code; the temporary file
// never stays behind.
uint32_t write_file_replacing(const Path& target, std::string_view bytes);
