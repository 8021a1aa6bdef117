#include "app/startup_logic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

CommandLineOptions parse_command_line(std::span<const std::wstring> args)
{
    CommandLineOptions options;
    // Every argument is looked at on its own: "--unregister" counts anywhere, even right after a
    // "--root", and each "--root" adds whatever follows it.
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--unregister") options.unregister = true;
        if (args[i] == L"--remind") options.remind = true;
        if (args[i] == L"--root" && i + 1 < args.size()) options.roots.push_back(args[i + 1]);
    }
    return options;
}

uint32_t effective_dpi(uint32_t reported_dpi)
{
    return std::max<uint32_t>(reported_dpi, 96);
}

WindowBox default_window_box(const ScreenRect& work_area, uint32_t dpi)
{
    const double scale = effective_dpi(dpi) / 96.0;
    const int64_t work_width = int64_t{work_area.right} - work_area.left;
    const int64_t work_height = int64_t{work_area.bottom} - work_area.top;
    const int64_t width = std::min<int64_t>(saturating_trunc(1000.0 * scale), work_width);
    const int64_t height = saturating_trunc(0.8 * static_cast<double>(work_height));
    // C++ integer division truncates toward zero, as the centring rule wants.
    const int64_t x = work_area.left + (work_width - width) / 2;
    const int64_t y = work_area.top + (work_height - height) / 2;
    auto to_int32 = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    return {to_int32(x), to_int32(y), to_int32(width), to_int32(height)};
}

TrackSize minimum_track_size(uint32_t dpi)
{
    const double scale = effective_dpi(dpi) / 96.0;
    return {saturating_trunc(640.0 * scale), saturating_trunc(440.0 * scale)};
}

bool automatic_check_due(bool auto_update_on, uint64_t now_s, uint64_t last_check_s)
{
    if (!auto_update_on) return false;
    const uint64_t elapsed = last_check_s > now_s ? 0 : now_s - last_check_s;
    return elapsed >= k_update_check_interval_s;
}
