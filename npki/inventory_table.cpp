#include "npki/inventory_table.h"

#include "base/text.h"
#include "trust/issuer_check.h"
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
    for (size_t i = 0; i < utf8.size();) width += width_of(next_code_point(utf8, i));
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
        const size_t start = i;
        const char32_t c = next_code_point(utf8, i);
        width += width_of(c);
        if (width > keep) break;
        // Control characters would break the table's lines or reach the terminal as commands; bad
        // bytes (read as U+FFFD) never pass on.
        out += is_format_control(c) || c == 0xFFFD ? k_replacement : utf8.substr(start, i - start);
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
        const CertificateCopy* first_copy = first_copy_of(entry);
        Row row{holder_name(info.subject_cn), issuer_display_name(info, first_copy, language),
                list_purpose_text(classify_policies(info.policy_oids), info.policy_oids, translate),
                until_text(info, translate), status_badge(expiry_of(info.not_after, now), translate).text,
                issuer_check_text(entry, translate), revocation_cell(entry, translate)};
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
            for (size_t c = 0; c < k_columns; ++c) {
                if (widths[c] == 0) continue;  // a column nothing fills (revocation before the issuers are asked)
                pad_to(line, k == 0 ? std::string_view(rows[r][c]) : "", widths[c]);
            }
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
    out += folders_checked_text(inventory.folders_checked, translate);
    out += '\n';
    return out;
}
