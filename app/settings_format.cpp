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

namespace {

constexpr size_t k_flags_offset = 4;
constexpr size_t k_show_cmd_offset = 8;
constexpr size_t k_normal_rect_offset = 28;
constexpr uint32_t k_sw_showmaximized = 3;
constexpr uint32_t k_wpf_restoretomaximized = 2;

uint32_t get32(std::span<const uint8_t> bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t{bytes[offset + i]} << (8 * i);
    return value;
}

void put32(std::span<uint8_t> bytes, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::array<uint8_t, k_placement_size> placement_to_store(std::span<const uint8_t, k_placement_size> reported,
                                                         const ClosingWindow& window)
{
    std::array<uint8_t, k_placement_size> stored{};
    std::copy(reported.begin(), reported.end(), stored.begin());
    if (!window.minimised && !window.maximised) {
        for (size_t i = 0; i < window.rect.size(); ++i)
            put32(stored, k_normal_rect_offset + 4 * i, static_cast<uint32_t>(window.rect[i]));
    } else if (window.minimised && (get32(stored, k_flags_offset) & k_wpf_restoretomaximized) != 0) {
        put32(stored, k_show_cmd_offset, k_sw_showmaximized);
    }
    return stored;
}

std::optional<RestoredPlacement> restored_placement(std::span<const uint8_t> stored)
{
    if (stored.size() != k_placement_size) return std::nullopt;  // not a WINDOWPLACEMENT: default placement
    RestoredPlacement result;
    std::memcpy(result.bytes.data(), stored.data(), k_placement_size);
    result.maximised = get32(result.bytes, k_show_cmd_offset) == k_sw_showmaximized;
    std::fill_n(result.bytes.begin() + k_flags_offset, 4, uint8_t{0});
    std::fill_n(result.bytes.begin() + k_show_cmd_offset, 4, uint8_t{0});
    return result;
}
