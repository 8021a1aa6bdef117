#pragma once

// The formats of the stored settings, apart from the registry so that they can be checked directly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// "LastUpdateCheck": whole seconds since 1970-01-01 UTC as plain decimal digits. Read leniently
// enough for a hand edit (one leading "+"), but anything else (empty text, a lone sign, "-", a space,
// any other character, a value above 2^64 - 1) reads as 0, which only makes the next check due.
uint64_t parse_last_update_check(std::string_view text);
std::string format_last_update_check(uint64_t seconds);

// "Folders": the added folders' paths joined by single line feeds, no line feed after the last, the
// empty text for no folders. Reading splits at each LF and drops a CR right before it (a value edited
// by hand with CRLF line ends reads the same), skips lines that are empty or only white space, and
// keeps every other line whole, untrimmed.
std::vector<std::string> split_folders_value(std::string_view value);
std::string join_folders_value(std::span<const std::string> folders);

// "AutoUpdate": on unless stored and 0.
bool auto_update_on(std::optional<uint32_t> stored);

// "Placement": the window's WINDOWPLACEMENT exactly as GetWindowPlacement fills it, little-endian:
// length (always 44), flags, showCmd (3 = maximised), minimised x/y, maximised x/y, normal rectangle
// left/top/right/bottom in workspace coordinates. Any other size is not a placement.
inline constexpr size_t k_placement_size = 44;
using PlacementBytes = std::array<uint8_t, k_placement_size>;
std::optional<PlacementBytes> placement_from_bytes(std::span<const uint8_t> bytes);
