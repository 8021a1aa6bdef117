#pragma once

// Windows counts time in FILETIME ticks of 100 ns since 1601-01-01 UTC; the program keeps instants
// as signed seconds since 1970-01-01 UTC.

#include <cstdint>

// 1601-01-01 to 1970-01-01.
inline constexpr int64_t k_windows_to_unix_seconds = 11'644'473'600;
inline constexpr uint64_t k_windows_to_unix_ticks = 116'444'736'000'000'000;
inline constexpr int64_t k_ticks_per_second = 10'000'000;

// Whole seconds since 1970 of a FILETIME, rounded down; negative before 1970. Every tick count has
// one (the largest is about 1.8e12 seconds).
constexpr int64_t unix_seconds_of_ticks(uint64_t ticks)
{
    return static_cast<int64_t>(ticks / static_cast<uint64_t>(k_ticks_per_second)) - k_windows_to_unix_seconds;
}
