#pragma once

// Version texts as numbers: "0.10.0" is newer than "0.9.9", and "0.1" equals "0.1.0.0".

#include <cstdint>
#include <string_view>
#include <vector>

// Trims white space at both ends and every leading "v", then splits at each "."; each piece is an
// unsigned 32-bit decimal (an optional leading "+" allowed), and any other piece (empty, letters,
// too large) is 0. One number per piece: "1..2" gives 1, 0, 2 and the empty text a single 0.
std::vector<uint32_t> parse_version(std::string_view text);

// Compares piece by piece after padding the shorter with zeros; equal is not newer.
bool is_newer(const std::vector<uint32_t>& remote, const std::vector<uint32_t>& current);
