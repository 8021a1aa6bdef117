#pragma once

// The formats of the shell's stored settings, apart from the registry so that they can be checked
// directly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// "LastUpdateCheck": whole seconds since 1970-01-01 UTC as plain decimal digits. Read leniently
// enough for a hand edit (one leading "+"), but anything else (empty text, a lone sign, "-", a space,
// any other character, a value above 2^64 - 1) reads as 0, which only makes the next check due.
uint64_t parse_last_update_check(std::string_view text);
std::string format_last_update_check(uint64_t seconds);

// "AutoUpdate": on unless stored and 0.
bool auto_update_on(std::optional<uint32_t> stored);

// "Placement": the window's WINDOWPLACEMENT exactly as GetWindowPlacement fills it, little-endian:
//   0 length (always 44), 4 flags, 8 showCmd (3 = maximised), 12 minimised x/y, 20 maximised x/y,
//   28 normal rectangle left/top/right/bottom (workspace coordinates).
// Any other size is not a placement.
inline constexpr size_t k_placement_size = 44;

struct RestoredPlacement {
    std::array<uint8_t, k_placement_size> bytes{};  // showCmd and flags zeroed, the rest as stored
    bool maximised = false;                          // the stored showCmd was SW_SHOWMAXIMIZED
};

// Prepares a stored value for SetWindowPlacement on the still hidden window: showCmd 0 keeps it
// hidden and flags 0 drops any stale restore-to-maximised bit. Any size but exactly 44 bytes is
// refused (the caller then uses the default placement).
std::optional<RestoredPlacement> restored_placement(std::span<const uint8_t> stored);

// What the window is doing when it closes, beyond what GetWindowPlacement reports.
struct ClosingWindow {
    bool minimised = false;
    bool maximised = false;
    // GetWindowRect moved into workspace coordinates, the placement's own: left, top, right, bottom.
    std::array<int32_t, 4> rect{};
};

// The "Placement" to store from what GetWindowPlacement reported. GetWindowPlacement keeps the
// pre-snap rectangle of a window snapped to half the screen, and says "minimised" of one minimised from
// maximised; stored as reported, the window would reopen at a size the user no longer had, or normal.
// So a window that is neither minimised nor maximised stores the rectangle it actually has, and a
// minimised one that restores to maximised (WPF_RESTORETOMAXIMIZED) stores showCmd SW_SHOWMAXIMIZED.
std::array<uint8_t, k_placement_size> placement_to_store(std::span<const uint8_t, k_placement_size> reported,
                                                         const ClosingWindow& window);
