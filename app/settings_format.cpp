#include "app/settings_format.h"

#include "base/text.h"

#include <algorithm>
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

namespace {

bool only_white_space(std::string_view line)
{
    // Every Unicode white-space character lies in the Basic Multilingual Plane, so checking UTF-16
    // units is enough; a surrogate unit is never white space.
    const std::wstring units = utf16_from_utf8(line);
    return std::all_of(units.begin(), units.end(), [](wchar_t unit) { return is_unicode_space(unit); });
}

}  // namespace

std::vector<std::string> split_folders_value(std::string_view value)
{
    std::vector<std::string> folders;
    while (!value.empty()) {
        const size_t end = value.find('\n');
        std::string_view line = value.substr(0, end);
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!only_white_space(line)) folders.emplace_back(line);
    }
    return folders;
}

std::string join_folders_value(std::span<const std::string> folders)
{
    std::string value;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) value += '\n';
        value += folders[i];
    }
    return value;
}

bool auto_update_on(std::optional<uint32_t> stored)
{
    return !stored || *stored != 0;
}

std::optional<PlacementBytes> placement_from_bytes(std::span<const uint8_t> bytes)
{
    if (bytes.size() != k_placement_size) return std::nullopt;
    PlacementBytes placement;
    std::copy(bytes.begin(), bytes.end(), placement.begin());
    return placement;
}
