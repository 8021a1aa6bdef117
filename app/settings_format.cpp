#include "app/settings_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

uint64_t parse_last_update_check(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return 0;
    constexpr uint64_t k_max = std::numeric_limits<uint64_t>::max();
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (k_max - digit) / 10) return 0;  // would pass 18446744073709551615
        value = value * 10 + digit;
    }
    return value;
}

std::string format_last_update_check(uint64_t seconds)
{
    return std::to_string(seconds);
}

bool auto_update_on(std::optional<uint32_t> stored)
{
    return !stored || *stored != 0;
}

std::optional<RestoredPlacement> restored_placement(std::span<const uint8_t> stored)
{
    if (stored.size() != k_placement_size) return std::nullopt;  // not a WINDOWPLACEMENT: default placement
    RestoredPlacement result;
    std::memcpy(result.bytes.data(), stored.data(), k_placement_size);
    constexpr size_t flags_offset = 4;
    constexpr size_t show_cmd_offset = 8;
    constexpr uint32_t sw_showmaximized = 3;
    uint32_t show_cmd = 0;
    for (size_t i = 0; i < 4; ++i) show_cmd |= uint32_t{result.bytes[show_cmd_offset + i]} << (8 * i);
    result.maximised = show_cmd == sw_showmaximized;
    std::fill_n(result.bytes.begin() + flags_offset, 4, uint8_t{0});
    std::fill_n(result.bytes.begin() + show_cmd_offset, 4, uint8_t{0});
    return result;
}
