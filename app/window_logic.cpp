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

KeyAction key_action(uint32_t virtual_key, float client_height, uint32_t dpi)
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
    case 0x26: return {KeyCommand::Scroll, -line};   // Up
    case 0x28: return {KeyCommand::Scroll, line};    // Down
    case 0x74: return {KeyCommand::Rescan, 0};       // F5
    default: return {};
    }
}

float wheel_scroll_delta(int16_t wheel_delta, uint32_t dpi)
{
    return -static_cast<float>(wheel_delta) * static_cast<float>(dpi) / 96.0f;
}
