#pragma once

// The benchmarks' figure of a series: its median (the upper one of an even count), which a burst of
// load on a shared machine moves least.

#include <algorithm>
#include <vector>

inline double median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
