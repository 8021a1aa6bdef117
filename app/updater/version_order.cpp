#include "app/updater/version_order.h"

#include <algorithm>
#include <limits>

namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

uint32_t piece_value(std::string_view piece)
{
    if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
    if (piece.empty()) return 0;
    uint64_t value = 0;
    for (char c : piece) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > std::numeric_limits<uint32_t>::max()) return 0;  // too large for a piece
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

std::vector<uint32_t> parse_version(std::string_view text)
{
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    while (!text.empty() && text.front() == 'v') text.remove_prefix(1);
    std::vector<uint32_t> numbers;
    for (;;) {
        const size_t dot = text.find('.');
        numbers.push_back(piece_value(text.substr(0, dot)));
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return numbers;
}

bool is_newer(const std::vector<uint32_t>& remote, const std::vector<uint32_t>& current)
{
    const size_t length = std::max(remote.size(), current.size());
    for (size_t i = 0; i < length; ++i) {
        const uint32_t r = i < remote.size() ? remote[i] : 0;
        const uint32_t c = i < current.size() ? current[i] : 0;
        if (r != c) return r > c;
    }
    return false;
}
