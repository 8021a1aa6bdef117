#pragma once

// The repository's source tree as the tests running under Wine see it (a Linux path is reached
// through Wine's Z: drive). Only for tests built with VESSOP_SOURCE_DIR.

#include "base/text.h"

#include <filesystem>
#include <string>

inline std::filesystem::path source_tree()
{
    std::string root = VESSOP_SOURCE_DIR;
    if (root.starts_with('/')) root = "Z:" + root;
    return std::filesystem::path(utf16_from_utf8(root));
}
