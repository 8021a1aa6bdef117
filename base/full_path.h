#pragma once

// The full form of a path as the file system resolves it, so that two spellings of one folder
// (relative, forward slashes, "." and ".." components) compare equal through path_key.

#include "base/path.h"

// GetFullPathNameW of the path: relative paths against the current folder, "/" as "\", dot
// components resolved. A path the system refuses (empty, a NUL inside) comes back unchanged.
Path full_path(const Path& path);
