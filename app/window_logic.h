#pragma once

// Decisions of the window procedure that need no window: notice expiry, scroll clamping and the
// keyboard and wheel mappings. Time and sizes come in as parameters.

#include "gfx/hit_target.h"

#include <cstdint>
#include <functional>
#include <optional>

// TIMER_NOTICE runs 3000 ms after the latest show_notice. A notice is removed by a firing timer only
// when it is at least this old: a notice that replaced another one after the timer started keeps its
// own full time (the replacement restarted the timer).
inline constexpr uint32_t k_notice_duration_ms = 3000;

// The main window's class and title.
inline constexpr wchar_t k_main_window_class[] = L"Vessop.Main";
inline constexpr wchar_t k_main_window_title[] = L"Vessop";
inline constexpr double k_notice_min_age_s = 2.9;
bool notice_expired(double set_at_s, double now_s);

// An offset kept inside [0, largest]; a NaN offset lands on 0.
float clamp_scroll(float offset, float largest);

enum class KeyCommand {
    None,
    CloseDetail,
    Scroll,
    Rescan,
    FocusNext,      // Tab
    FocusPrevious,  // Shift+Tab
    FocusUp,        // Up, while the arrows move the focus
    FocusDown,      // Down, likewise
    Activate,       // Enter or Space: what a click on the focused element does
};
struct KeyAction {
    KeyCommand command = KeyCommand::None;
    float scroll_delta = 0;  // pixels, positive = down
};

// What a key does (virtual-key code) with the client height in pixels (at least 0) and the window DPI.
// `shift` turns Tab backwards; `arrows_move_focus` (gfx/focus.h) turns Up and Down from scrolling to
// moving the focus.
KeyAction key_action(uint32_t virtual_key, float client_height, uint32_t dpi, bool shift = false,
                     bool arrows_move_focus = false);

// A command run later, posted as WM_APP_INVOKE by a screen reader's Invoke: the target's kind, button
// and row travel in wParam, the identity of its certificate (gfx/ui_tree.h) in lParam.
uint64_t invoke_wparam(const HitTarget& target);
HitTarget invoke_target(uint64_t wparam);

// A folder change asks for a rescan `quiet_ms` after it, but never sooner than k_folder_rescan_gap_s
// after the last scan began: a busy folder (a whole profile added) costs at most one scan every two
// seconds, however long its changes keep coming, and changes coming all the time never hold the rescan
// off for good. None when a rescan is already due: it will see this change too.
inline constexpr double k_folder_rescan_gap_s = 2.0;
std::optional<uint32_t> folder_rescan_delay_ms(double now_s, bool rescan_due, std::optional<double> last_scan_started_s,
                                               uint32_t quiet_ms);

// One wheel notch (120) moves 120 design pixels; turning the wheel away from the user scrolls up.
float wheel_scroll_delta(int16_t wheel_delta, uint32_t dpi);

// DWMWA_USE_IMMERSIVE_DARK_MODE: 20 is documented from Windows 11 and taken by Windows 10 2004 and
// later; Windows 10 1809 to 1909 know it only as 19.
inline constexpr uint32_t k_dwm_dark_mode_attribute = 20;
inline constexpr uint32_t k_dwm_dark_mode_attribute_before_2004 = 19;

// Sets the title bar's dark mode through `set_attribute` (attribute id, value; true when the system
// took it), trying 20 and then 19. Returns the attribute that took, none when neither did.
std::optional<uint32_t> apply_dark_title_bar(bool dark, const std::function<bool(uint32_t, bool)>& set_attribute);
