#pragma once

// Float-to-integer conversion that never leaves the range of its result: a plain cast of NaN or of a
// value beyond the range is undefined behaviour in C++.

#include <cmath>
#include <cstdint>
#include <limits>

// Truncated toward zero; NaN gives 0 and values beyond the int32 range give its nearest end.
constexpr int32_t saturating_trunc(double value)
{
    if (value != value) return 0;  // NaN
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);  // truncates toward zero
}

// Rounded half away from zero, then saturated as above.
inline int32_t saturating_round(double value)
{
    return saturating_trunc(std::round(value));
}
