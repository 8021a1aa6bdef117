#pragma once

// The one application state object, owned by the window thread and reached by the window procedure
// through a single slot for the length of one message.

#include "gfx/direct2d.h"
#include "npki/inventory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

// What the pointer is over (kinds 0-11 of the hit test).
struct HitTarget {
    uint8_t kind = 0;
    uint8_t action = 0;
    uint64_t index = 0;
};

struct Notice {
    std::string text;
    double set_at = 0;  // monotonic seconds (performance counter)
};

struct WindowState {
    std::optional<size_t> selection;
    std::vector<Path> command_line_roots;
    std::optional<std::vector<CertificateEntry>> entries;
    std::optional<Notice> notice;
    std::optional<double> scan_started;  // monotonic seconds
    HitTarget hover;
    HWND hwnd = nullptr;
    std::optional<Gfx> gfx;
    uint64_t folders_checked = 0;
    uint32_t dpi = 96;
    float list_scroll = 0;
    float detail_scroll = 0;
    bool dark = false;
    bool rescan_pending = false;
    bool leave_tracking = false;
};
