#pragma once

// Existence tests by file-system attributes. Anything the system cannot tell (missing, access
// denied, no medium) counts as "not there".

#include "base/path.h"

// A file, not a folder.
bool is_file(const Path& path);
bool is_folder(const Path& path);
