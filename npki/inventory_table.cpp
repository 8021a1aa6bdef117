#include "npki/inventory_table.h"

#include "base/text.h"
#include "x509/dates.h"
#include "x509/policy.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr std::string_view k_column_gap = "  ";
constexpr std::string_view k_ellipsis = "\xE2\x80\xA6";     // "…", one column
constexpr std::string_view k_replacement = "\xEF\xBF\xBD";  // U+FFFD, one column

bool is_wide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool is_control(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// One character of UTF-8 text. A byte that begins no complete, well-formed sequence is a character
// of its own, shown as U+FFFD: a cut then never falls inside a sequence and bad bytes never pass on.
struct Character {
    char32_t value;
    size_t length;  // bytes
    bool shown_as_is;
};

Character character_at(std::string_view utf8, size_t at)
{
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80) return {lead, 1, !is_control(lead)};
    const size_t length = lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (length == 0 || length > utf8.size() - at) return {0xFFFD, 1, false};
    char32_t c = lead & (0x3F >> (length - 1));
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[at + k]);
        if ((next & 0xC0) != 0x80) return {0xFFFD, 1, false};
        c = (c << 6) | (next & 0x3F);
    }
    return {c, length, !is_control(c)};
}

size_t width_of(char32_t c) { return is_wide(c) ? 2 : 1; }

void pad_to(std::string& line, std::string_view cell, size_t width)
{
    line += cell;
    line.append(width - std::min(width, display_width(cell)), ' ');
    line += k_column_gap;
}

constexpr size_t k_columns = k_table_column_caps.size();  // places follow unpadded
using Row = std::array<std::string, k_columns>;

}  // namespace

size_t display_width(std::string_view utf8)
{
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const Character c = character_at(utf8, i);
        width += width_of(c.value);
        i += c.length;
    }
    return width;
}

std::string table_cell(std::string_view utf8, size_t max_width)
{
    const bool cut = display_width(utf8) > max_width;
    // A cut cell keeps one column for the ellipsis; a wide character that would cross it goes whole.
    const size_t keep = !cut ? max_width : max_width == 0 ? 0 : max_width - 1;
    std::string out;
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const Character c = character_at(utf8, i);
        width += width_of(c.value);
        if (width > keep) break;
        out += c.shown_as_is ? utf8.substr(i, c.length) : k_replacement;
        i += c.length;
    }
    if (cut && max_width > 0) out += k_ellipsis;
    return out;
}

std::string inventory_table(const Inventory& inventory, int64_t now, std::string_view language, Translate translate)
{
    std::vector<Row> rows;
    std::array<size_t, k_columns> widths{};
    rows.reserve(inventory.entries.size());
    for (const CertificateEntry& entry : inventory.entries) {
        const CertificateInfo& info = entry.info;
        const CertificateCopy* first_copy = entry.copies.empty() ? nullptr : &entry.copies.front();
        Row row{holder_name(info.subject_cn), issuer_display_name(info, first_copy, language),
                list_purpose_text(classify_policies(info.policy_oids), info.policy_oids, translate),
                until_text(info, translate), status_badge(expiry_of(info.not_after, now), translate).text};
        for (size_t c = 0; c < k_columns; ++c) {
            row[c] = table_cell(row[c], k_table_column_caps[c]);
            widths[c] = std::max(widths[c], display_width(row[c]));
        }
        rows.push_back(std::move(row));
    }

    std::string out;
    for (size_t r = 0; r < rows.size(); ++r) {
        const CertificateEntry& entry = inventory.entries[r];
        for (size_t k = 0; k < std::max<size_t>(entry.copies.size(), 1); ++k) {
            std::string line;
            for (size_t c = 0; c < k_columns; ++c) pad_to(line, k == 0 ? std::string_view(rows[r][c]) : "", widths[c]);
            if (k < entry.copies.size()) {
                const CertificateCopy& copy = entry.copies[k];
                std::string place = place_label(copy, translate);
                place += " \xC2\xB7 ";  // " · "
                place += utf8_from_utf16(copy.folder);
                line += table_cell(place, SIZE_MAX);
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out += line;
            out += '\n';
        }
    }
    out += fill_placeholders(translate({"하드 디스크와 USB 드라이브의 NPKI 폴더 {0}곳을 살폈습니다",
                                        "NPKI folders checked on hard disks and USB drives: {0}"}),
                             {std::to_string(inventory.folders_checked)});
    out += '\n';
    return out;
}
