#pragma once

// Folder paths are kept as the UTF-16 the file system gave us, so that a name which is not valid
// UTF-16 still opens; they are turned into (lossy) UTF-8 only for display and comparison.

#include <string>
#include <string_view>

using Path = std::wstring;

// Appends one backslash unless `base` already ends with one (or is empty), then `name`.
Path join_path(std::wstring_view base, std::wstring_view name);
