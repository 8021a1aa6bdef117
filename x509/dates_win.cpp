#include "x509/dates.h"

#include <windows.h>

int64_t now_seconds()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return seconds_from_ticks((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

LocalDate local_date_of(int64_t seconds)
{
    const uint64_t ticks = ticks_from_seconds(seconds);
    FILETIME file_time{};
    file_time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFF'FFFF);
    file_time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&file_time, &utc)) return {};  // 1970-01-01
    SYSTEMTIME local{};
    // No zone argument: the current zone with its daylight-saving rules for that year.
    const SYSTEMTIME& shown = SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ? local : utc;
    return {shown.wYear, shown.wMonth, shown.wDay};
}
