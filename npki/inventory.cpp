#include "npki/inventory.h"

#include "base/text.h"
#include "trust/issuer_check.h"
#include "x509/dates.h"

#include <algorithm>
#include <cstdint>

namespace {

// The identity key joins the lower-cased issuer and the serial with a NUL: crypt32's texts are cut
// at their first NUL and the serial is hex digits, so the NUL cannot occur in either part.
constexpr char k_identity_separator = '\0';

bool all_ascii_digits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The closing parenthesis that ends the name part, or npos: the last ")" followed by more than
// seven bytes, provided those bytes are all digits. Shorter tails (an alias's own ")" near the end)
// are passed over.
size_t identifier_close(std::string_view name)
{
    constexpr size_t k_max_skipped_tail_bytes = 7;
    for (size_t close = name.rfind(')'); close != std::string_view::npos;
         close = close == 0 ? std::string_view::npos : name.rfind(')', close - 1)) {
        const std::string_view tail = name.substr(close + 1);
        if (tail.size() <= k_max_skipped_tail_bytes) continue;
        return all_ascii_digits(tail) ? close : std::string_view::npos;
    }
    return std::string_view::npos;
}

}  // namespace

bool same_certificate(const CertificateInfo& a, const CertificateInfo& b)
{
    return a.serial_hex == b.serial_hex && lower_full(a.issuer_dn) == lower_full(b.issuer_dn);
}

std::string certificate_identity_key(const CertificateInfo& info)
{
    std::string key = lower_full(info.issuer_dn);
    key += k_identity_separator;
    key += info.serial_hex;
    return key;
}

std::string path_key(std::wstring_view path)
{
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return lower_full(utf8_from_utf16(path));
}

std::string holder_name(std::string_view subject_cn)
{
    const std::string_view name = trim_unicode_space(subject_cn);
    const size_t close = identifier_close(name);
    if (close == std::string_view::npos) return std::string(name);
    const size_t open = name.rfind('(', close);
    if (open == std::string_view::npos) return std::string(name);

    const std::string_view inside = name.substr(open + 1, close - open - 1);
    const std::string_view candidate = trim_unicode_space(all_ascii_digits(inside) ? name.substr(0, open) : name.substr(0, close + 1));
    return std::string(candidate.empty() ? name : candidate);
}

std::string drive_of_path(std::wstring_view folder)
{
    const std::string text = utf8_from_utf16(folder);
    if (text.size() < 2 || text[1] != ':') return {};
    const char letter = text[0];
    if (letter >= 'a' && letter <= 'z') return std::string{static_cast<char>(letter - 'a' + 'A'), ':'};
    if (letter >= 'A' && letter <= 'Z') return std::string{letter, ':'};
    return {};
}

ListSummary list_summary(const std::vector<CertificateEntry>& entries, int64_t now)
{
    // Every frame counts every entry, so the calendar is asked only near the threshold: an end two
    // days of seconds beyond it is past the threshold in calendar days in any time zone, whatever
    // daylight-saving or zone change lies between, and so plainly valid.
    constexpr int64_t k_surely_valid_seconds = (k_soon_threshold_days + 2) * 86'400;
    ListSummary summary;
    for (const CertificateEntry& entry : entries) {
        switch (entry.info.trust) {
        case TrustState::Licensed: break;
        case TrustState::Test: ++summary.test; break;
        case TrustState::UnknownIssuer: ++summary.unknown_issuer; break;
        case TrustState::Damaged: ++summary.damaged; break;
        }
        if (is_expired(entry.info, now)) {
            ++summary.expired;
        } else if (entry.revocation.state == RevocationState::Revoked) {
            ++summary.revoked;  // no longer usable, whatever its end date says
        } else if (now <= INT64_MAX - k_surely_valid_seconds && entry.info.not_after > now + k_surely_valid_seconds) {
            continue;
        } else if (expiry_of(entry.info.not_after, now).state == ExpiryState::ExpiringSoon) {
            ++summary.expiring_soon;
        }
    }
    return summary;
}

std::string issuer_check_text(const CertificateEntry& entry, Translate translate,
                              const std::function<std::string(size_t)>& name_of_copy)
{
    std::string differing;
    for (size_t k = 0; k < entry.copies.size(); ++k) {
        if (!entry.copies[k].differs) continue;
        if (!differing.empty()) differing += ", ";
        differing += name_of_copy(k);
    }
    if (differing.empty()) return std::string(translate(trust_text(entry.info.trust)));
    return fill_placeholders(translate({"손상됨: 사본끼리 파일 내용이 다릅니다 ({0})", "Damaged: the copies are not the same file ({0})"}),
                             {differing});
}

std::optional<CardBadge> card_badge(const CertificateEntry& entry)
{
    if (entry.revocation.state == RevocationState::Revoked) return CardBadge{{"폐기됨", "Revoked"}, true};
    if (const std::optional<Text> badge = trust_badge(entry.info.trust))
        return CardBadge{*badge, entry.info.trust == TrustState::Damaged};
    return std::nullopt;
}

std::string revocation_cell(const CertificateEntry& entry, Translate translate)
{
    return entry.revocation.state == RevocationState::NotChecked ? std::string() : revocation_text(entry.revocation, translate);
}

std::string issuer_check_text(const CertificateEntry& entry, Translate translate)
{
    return issuer_check_text(entry, translate, [&](size_t k) { return utf8_from_utf16(entry.copies[k].folder); });
}

std::string folders_checked_text(uint64_t folders_checked, Translate translate)
{
    return fill_placeholders(translate({"하드 디스크와 USB 드라이브의 NPKI 폴더 {0}곳을 살폈습니다",
                                        "NPKI folders checked on hard disks and USB drives: {0}"}),
                             {std::to_string(folders_checked)});
}
