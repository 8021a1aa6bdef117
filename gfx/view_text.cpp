#include "gfx/view_text.h"

#include "base/text.h"
#include "gfx/layout.h"
#include "trust/issuer_check.h"
#include "x509/policy.h"

#include <algorithm>

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

std::string filtered_headline(size_t shown, size_t total, Translate translate)
{
    return fill_placeholders(translate({"공동인증서 {1}개 중 {0}개", "Certificates: {0} of {1}"}),
                             {std::to_string(shown), std::to_string(total)});
}

std::string no_match_text(std::string_view query, Translate translate)
{
    return fill_placeholders(translate({"“{0}”에 맞는 공동인증서가 없습니다", "No certificate matches “{0}”"}),
                             {trim_unicode_space(query)});
}

std::string summary_second_line(uint64_t folders_checked, const ListSummary& summary, Translate translate)
{
    std::string line = folders_checked_text(folders_checked, translate);
    const auto add = [&](size_t count, Text text) {
        if (count == 0) return;
        line += k_separator;
        line += fill_placeholders(translate(text), {std::to_string(count)});
    };
    add(summary.expiring_soon, {"곧 만료 {0}", "{0} expiring soon"});
    add(summary.expired, {"만료 {0}", "{0} expired"});
    add(summary.damaged, {"손상 {0}", "{0} damaged"});
    add(summary.test, {"시험용 {0}", "{0} for testing only"});
    add(summary.unknown_issuer, {"발급자 불명 {0}", "{0} from an unknown issuer"});
    add(summary.revoked, {"폐기 {0}", "{0} revoked"});
    return line;
}

std::string empty_list_hint(Translate translate)
{
    return std::string(translate({"USB 에 든 인증서는 USB 를 꽂으면 바로 나타납니다. 다른 곳에 둔 인증서는 '폴더 추가' 로 넣으세요.",
                                  "Certificates on a USB drive show up as soon as you plug it in. For other places, use "
                                  "'Add folder'."}));
}

std::string clean_up_label(size_t expired, Translate translate)
{
    return fill_placeholders(translate({"만료된 것 정리 ({0})", "Clean up expired ({0})"}), {std::to_string(expired)});
}

std::string card_second_line(const CertificateEntry& entry, Translate translate, std::string_view language)
{
    const CertificateInfo& info = entry.info;
    const CertificateCopy* first_copy = first_copy_of(entry);
    std::string line = issuer_display_name(info, first_copy, language);
    line += k_separator;
    line += list_purpose_text(classify_policies(info.policy_oids), info.policy_oids, translate);
    line += k_separator;
    line += until_text(info, translate);
    return line;
}

std::string location_line(const std::vector<CertificateCopy>& copies, Translate translate)
{
    std::string line;
    if (copies.size() == 1) {
        line = place_label(copies.front(), translate);
    } else if (copies.size() > 1) {
        line = fill_placeholders(translate({"{0}곳에 있음", "In {0} places"}), {std::to_string(copies.size())});
        line += k_separator;
        std::string previous;
        bool first = true;
        for (const CertificateCopy& copy : copies) {
            std::string label = place_label(copy, translate);
            if (!first && label == previous) continue;  // C:, E:, E: reads "C:, E:"; E:, C:, E: stays
            if (!first) line += ", ";
            line += label;
            previous = std::move(label);
            first = false;
        }
    }
    const bool key_missing =
        std::any_of(copies.begin(), copies.end(), [](const CertificateCopy& c) { return !c.has_private_key; });
    if (key_missing) {
        line += k_separator;
        line += translate({"개인 키 없음", "Private key missing"});
    }
    return line;
}

bool on_usb_drive(const std::vector<CertificateCopy>& copies)
{
    return std::any_of(copies.begin(), copies.end(), [](const CertificateCopy& c) { return c.removable; });
}

size_t detail_row_count(const CertificateEntry& entry)
{
    return 15 + entry.copies.size();
}

std::string_view copy_all_label()
{
    return tr({"모두 복사", "Copy all"});
}

std::string revocation_row_text(const CertificateEntry& entry, bool checking, Translate translate)
{
    if (checking && entry.revocation.state == RevocationState::NotChecked)
        return std::string(translate({"발급 기관에 확인하는 중…", "Asking the issuers…"}));
    return revocation_text(entry.revocation, translate);
}

bool row_starts_revocation_check(const CertificateEntry& entry, size_t row, bool revocation_checking)
{
    return row == k_revocation_row && !revocation_checking && entry.revocation.state == RevocationState::NotChecked;
}

std::vector<DetailRow> detail_rows_for(const CertificateEntry& entry, int64_t now, Translate translate,
                                       std::string_view language, bool revocation_checking)
{
    const CertificateInfo& info = entry.info;
    const std::vector<CertificateCopy>& copies = entry.copies;
    const CertificateCopy* first_copy = first_copy_of(entry);
    const PolicyClass policy_class = classify_policies(info.policy_oids);
    const auto label = [&](Text text) { return std::string(translate(text)); };
    const bool every_key = std::all_of(copies.begin(), copies.end(), [](const CertificateCopy& c) { return c.has_private_key; });
    // "Location", or "Location 2" among several: the rows of the places, and how the issuer check
    // names a copy whose bytes differ.
    const auto location_label = [&](size_t k) {
        return copies.size() == 1 ? label({"저장 위치", "Location"})
                                  : fill_placeholders(translate({"저장 위치 {0}", "Location {0}"}), {std::to_string(k + 1)});
    };
    const bool any_km = std::any_of(copies.begin(), copies.end(), [](const CertificateCopy& c) { return c.has_km_cert; });

    std::vector<DetailRow> rows = {
        {label({"이름 (CN)", "Name (CN)"}), info.subject_cn},
        {label({"주체", "Subject"}), info.subject_dn},
        {label({"발급자", "Issuer"}), info.issuer_dn},
        {label({"발급 기관", "Issued by"}), issuer_display_name(info, first_copy, language)},
        {label(k_issuer_check_label), issuer_check_text(entry, translate, location_label)},
        {label(k_revocation_label), revocation_row_text(entry, revocation_checking, translate)},
        {label({"용도", "Purpose"}), purpose_row_text(policy_class, translate)},
        {label({"정책 OID", "Policy OID"}), policy_oid_row_text(info.policy_oids, translate)},
        {label({"유효 기간", "Valid"}), validity_text(info)},
        {label({"남은 기간", "Time left"}), status_badge(expiry_of(info.not_after, now), translate).text},
        {label({"일련번호", "Serial number"}), info.serial_hex},
        {label({"지문 (SHA-1)", "Thumbprint (SHA-1)"}), info.sha1_hex},
        {label({"지문 (SHA-256)", "Thumbprint (SHA-256)"}), info.sha256_hex},
        {label({"개인 키", "Private key"}),
         every_key ? label({"있음 (signPri.key, Vessop 는 열지 않습니다)", "Present (signPri.key; Vessop never opens it)"})
                   : label({"없는 곳이 있음: 그 사본으로는 로그인할 수 없습니다",
                            "Missing in some places: that copy can't be used to sign in"})},
        {label({"암호화용 인증서", "Encryption certificate"}),
         any_km ? label({"있음 (kmCert.der)", "Present (kmCert.der)"}) : label({"없음", "None"})},
    };
    for (size_t k = 0; k < copies.size(); ++k)
        rows.push_back({location_label(k), place_label(copies[k], translate) + k_separator + utf8_from_utf16(copies[k].folder)});
    return rows;
}

std::string copy_all_text(const std::vector<DetailRow>& rows)
{
    std::string text;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) text += '\n';
        text += rows[i].label;
        text += ": ";
        text += rows[i].value;
    }
    return text;
}

std::string copied_notice(std::string_view label, Translate translate)
{
    std::string notice(translate({"복사했습니다:", "Copied:"}));
    notice += ' ';
    notice += label;
    return notice;
}

std::string spoken(std::string_view line)
{
    constexpr std::string_view separator = k_separator;
    std::string out;
    out.reserve(line.size());
    size_t at = 0;
    for (size_t found = line.find(separator); found != std::string_view::npos; found = line.find(separator, at)) {
        out.append(line.substr(at, found - at));
        out += ", ";
        at = found + separator.size();
    }
    out.append(line.substr(at));
    return out;
}

std::string card_spoken_name(const CertificateEntry& entry, int64_t now, Translate translate, std::string_view language)
{
    std::string name = holder_name(entry.info.subject_cn);
    name += ", ";
    name += spoken(card_second_line(entry, translate, language));
    name += ", ";
    name += status_badge(expiry_of(entry.info.not_after, now), translate).text;
    if (const std::optional<CardBadge> badge = card_badge(entry)) {
        name += ", ";
        name += translate(badge->text);
    }
    if (!entry.copies.empty()) {
        name += ", ";
        name += spoken(location_line(entry.copies, translate));
    }
    return name;
}

std::string row_spoken_name(const DetailRow& row)
{
    return row.label + ": " + row.value;
}
