#include "gfx/view_text.h"

#include "gfx/layout.h"

namespace {

constexpr char k_separator[] = " \xC2\xB7 ";  // space, U+00B7, space

}  // namespace

std::string scanning_text(double seconds_since_start, Translate translate)
{
    std::string text(translate({"공동인증서를 찾고 있습니다", "Looking for certificates"}));
    text.append(static_cast<size_t>(scanning_dot_count(seconds_since_start)), '.');
    return text;
}

std::string summary_headline(size_t entry_count, Translate translate)
{
    if (entry_count == 0) return std::string(translate({"공동인증서가 없습니다", "No certificates found"}));
    return fill_placeholders(translate({"공동인증서 {0}개", "Certificates: {0}"}), {std::to_string(entry_count)});
}

std::string summary_second_line(uint64_t folders_checked, const ExpirySummary& summary, Translate translate)
{
    std::string line = folders_checked_text(folders_checked, translate);
    if (summary.expiring_soon > 0) {
        line += k_separator;
        line += fill_placeholders(translate({"곧 만료 {0}", "{0} expiring soon"}), {std::to_string(summary.expiring_soon)});
    }
    if (summary.expired > 0) {
        line += k_separator;
        line += fill_placeholders(translate({"만료 {0}", "{0} expired"}), {std::to_string(summary.expired)});
    }
    return line;
}

std::string clean_up_label(size_t expired, Translate translate)
{
    return fill_placeholders(translate({"만료된 것 정리 ({0})", "Clean up expired ({0})"}), {std::to_string(expired)});
}
