#include "app/window_logic.h"

#include <algorithm>

bool notice_expired(double set_at_s, double now_s)
{
    return now_s - set_at_s >= k_notice_min_age_s;
}

float clamp_scroll(float offset, float largest)
{
    // std::max(0, NaN) gives 0, so a NaN offset cannot leak into the layout.
    return std::min(std::max(0.0f, offset), largest);
}

KeyAction key_action(uint32_t virtual_key, float client_height, uint32_t dpi, bool shift, bool arrows_move_focus)
{
    constexpr float to_end = 1'000'000'000.0f;  // through the clamp this reaches the first or last offset
    const float page = 0.8f * std::max(client_height, 0.0f);
    const float line = 60.0f * static_cast<float>(dpi) / 96.0f;
    switch (virtual_key) {
    case 0x1B: return {KeyCommand::CloseDetail, 0};  // Escape
    case 0x21: return {KeyCommand::Scroll, -page};   // Page Up
    case 0x22: return {KeyCommand::Scroll, page};    // Page Down
    case 0x23: return {KeyCommand::Scroll, to_end};  // End
    case 0x24: return {KeyCommand::Scroll, -to_end}; // Home
    case 0x26: return arrows_move_focus ? KeyAction{KeyCommand::FocusUp, 0} : KeyAction{KeyCommand::Scroll, -line};
    case 0x28: return arrows_move_focus ? KeyAction{KeyCommand::FocusDown, 0} : KeyAction{KeyCommand::Scroll, line};
    case 0x74: return {KeyCommand::Rescan, 0};       // F5
    case 0x09: return {shift ? KeyCommand::FocusPrevious : KeyCommand::FocusNext, 0};  // Tab
    case 0x0D:                                       // Enter
    case 0x20: return {KeyCommand::Activate, 0};     // Space
    default: return {};
    }
}

float wheel_scroll_delta(int16_t wheel_delta, uint32_t dpi)
{
    return -static_cast<float>(wheel_delta) * static_cast<float>(dpi) / 96.0f;
}

uint64_t invoke_wparam(const HitTarget& target)
{
    return static_cast<uint64_t>(target.kind) | (static_cast<uint64_t>(target.action) << 8) | (target.index << 16);
}

HitTarget invoke_target(uint64_t wparam)
{
    HitTarget target;
    const auto kind = static_cast<uint8_t>(wparam & 0xFF);
    const auto action = static_cast<uint8_t>((wparam >> 8) & 0xFF);
    // Anything out of range (a message from elsewhere) is no target.
    if (kind > static_cast<uint8_t>(HitKind::Pane) || action > static_cast<uint8_t>(CardAction::Recycle)) return target;
    target.kind = static_cast<HitKind>(kind);
    target.action = static_cast<CardAction>(action);
    target.index = wparam >> 16;
    return target;
}

std::optional<uint32_t> apply_dark_title_bar(bool dark, const std::function<bool(uint32_t, bool)>& set_attribute)
{
    for (uint32_t attribute : {k_dwm_dark_mode_attribute, k_dwm_dark_mode_attribute_before_2004})
        if (set_attribute(attribute, dark)) return attribute;
    return std::nullopt;
}

std::optional<uint32_t> folder_rescan_delay_ms(double now_s, bool rescan_due, std::optional<double> last_scan_started_s,
                                               uint32_t quiet_ms)
{
    if (rescan_due) return std::nullopt;
    double wait_s = quiet_ms / 1000.0;
    if (last_scan_started_s) wait_s = std::max(wait_s, *last_scan_started_s + k_folder_rescan_gap_s - now_s);
    // A clock that went wrong (NaN, far off) waits the gap at most.
    if (!(wait_s >= 0)) wait_s = 0;
    wait_s = std::min(wait_s, k_folder_rescan_gap_s + quiet_ms / 1000.0);
    return static_cast<uint32_t>(wait_s * 1000.0 + 0.5);
}
