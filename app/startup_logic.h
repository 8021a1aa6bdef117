#pragma once

// Start-up decisions that need no window, clock or registry: the command line, the default window
// rectangle, the restored placement and whether an automatic update check is due. The caller reads
// the platform and passes the values in.

#include "base/numeric.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct CommandLineOptions {
    bool unregister = false;
    bool remind = false;  // "--remind": the reminder run, without a window
    std::vector<std::wstring> roots;  // every folder named after "--root", in command-line order
};

// Arguments compare whole and case-sensitively; the program's own path (args[0]) is compared like
// any other argument. A final "--root" with nothing after it adds nothing.
CommandLineOptions parse_command_line(std::span<const std::wstring> args);


struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct WindowBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const WindowBox&, const WindowBox&) = default;
};

// The window's size and position when no usable placement was saved: 1000 design pixels wide (at most
// the work width), 80 % of the work height, centred in the work area (integer halves truncate).
WindowBox default_window_box(const ScreenRect& work_area, uint32_t dpi);

// The smallest size the user can drag the window to: 640 x 440 design pixels, truncated.
struct TrackSize {
    int32_t width = 0;
    int32_t height = 0;
};
TrackSize minimum_track_size(uint32_t dpi);

// The DPI the program works with: what Windows reports, but never below 96.
uint32_t effective_dpi(uint32_t reported_dpi);

inline constexpr uint64_t k_update_check_interval_s = 86400;

// An automatic update check runs when automatic checks are on and a whole day has passed since the
// last one. A last check later than now (the clock was set back) counts as just now, so it blocks
// checks until the clock has passed it by a day.
bool automatic_check_due(bool auto_update_on, uint64_t now_s, uint64_t last_check_s);
