#pragma once

// A revocation list as a fetch brings it, and the limits every fetch keeps: a server that accepts a
// connection and never answers, or sends without end, must not hold a check up.

#include "trust/revocation.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr size_t k_max_list_bytes = size_t{20} * 1024 * 1024;

struct FetchedList {
    std::vector<uint8_t> bytes;         // the list, when one came
    std::optional<UnknownWhy> failure;  // Unreachable or TooLarge when none did
};

struct FetchLimits {
    int connect_seconds = 5;
    int total_seconds = 20;             // everything from connecting to the last byte
    size_t max_bytes = k_max_list_bytes;
};

