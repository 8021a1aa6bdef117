#include "npki/inventory_csv.h"

#include "base/text.h"
#include "trust/issuer_check.h"
#include "x509/dates.h"
#include "x509/policy.h"

#include <optional>

namespace {

// A number as a spreadsheet reads it ("-12"): it stays a number, and a prefix would make it text.
bool is_plain_integer(std::string_view text)
{
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Whether a spreadsheet would take the cell for a formula: its first character other than a space is a
// sign that starts one, in its ASCII or its full-width form (Excel and LibreOffice take ＝ for =), or
// it begins with a tab, a carriage return or a line feed.
bool starts_formula(std::string_view text)
{
    if (is_plain_integer(text)) return false;
    if (!text.empty() && (text.front() == '\t' || text.front() == '\r' || text.front() == '\n')) return true;
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    text.remove_prefix(first);
    switch (text.front()) {
    case '=':
    case '+':
    case '-':
    case '@': return true;
    default: break;
    }
    // U+FF1D ＝, U+FF0B ＋, U+FF0D －, U+FF20 ＠ in UTF-8.
    for (const std::string_view wide : {"\xEF\xBC\x9D", "\xEF\xBC\x8B", "\xEF\xBC\x8D", "\xEF\xBC\xA0"})
        if (text.starts_with(wide)) return true;
    return false;
}

std::string date_of(int64_t seconds)
{
    return date_text(local_date_of(seconds));
}

std::string places_cell(const std::vector<CertificateCopy>& copies, Translate translate)
{
    std::string cell;
    for (const CertificateCopy& copy : copies) {
        if (!cell.empty()) cell += '\n';
        cell += place_label(copy, translate);
        cell += " \xC2\xB7 ";  // space, U+00B7, space
        cell += utf8_from_utf16(copy.folder);
    }
    return cell;
}

}  // namespace

std::string csv_cell(std::string_view text)
{
    std::string cell;
    if (starts_formula(text)) cell += '\'';
    cell += text;
    if (cell.find_first_of(",\"\n\r") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string csv_row(const std::vector<std::string>& cells)
{
    std::string row;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) row += ',';
        row += csv_cell(cells[i]);
    }
    row += "\r\n";
    return row;
}

std::string inventory_csv(const std::vector<CertificateEntry>& entries, int64_t now, std::string_view language,
                          Translate translate)
{
    const std::string yes(translate({"예", "Yes"}));
    const std::string no(translate({"아니요", "No"}));
    std::string out(k_utf8_bom);
    out += csv_row({
        std::string(translate({"소유자", "Holder"})),
        std::string(translate({"발급 기관", "Issued by"})),
        std::string(translate({"용도", "Purpose"})),
        std::string(translate({"구분", "Holder type"})),
        std::string(translate({"유효 기간 시작", "Valid from"})),
        std::string(translate({"유효 기간 끝", "Valid until"})),
        std::string(translate({"남은 일수", "Days left"})),
        std::string(translate({"상태", "Status"})),
        std::string(translate({"일련번호", "Serial number"})),
        std::string(translate({"지문 (SHA-1)", "Thumbprint (SHA-1)"})),
        std::string(translate({"지문 (SHA-256)", "Thumbprint (SHA-256)"})),
        std::string(translate({"개인 키", "Private key"})),
        std::string(translate({"암호화용 인증서", "Encryption certificate"})),
        std::string(translate({"저장 위치", "Location"})),
        std::string(translate(k_issuer_check_label)),  // added last: the columns before keep their places
        std::string(translate(k_revocation_label)),
    });
    for (const CertificateEntry& entry : entries) {
        const CertificateInfo& info = entry.info;
        const PolicyClass policy_class = classify_policies(info.policy_oids);
        const Expiry expiry = expiry_of(info.not_after, now);
        const std::optional<Text> kind = holder_kind_label(policy_class.holder_kind);
        // A certificate counts as having its key or encryption certificate when some copy does.
        bool key = false;
        bool km = false;
        for (const CertificateCopy& copy : entry.copies) {
            key = key || copy.has_private_key;
            km = km || copy.has_km_cert;
        }
        out += csv_row({
            holder_name(info.subject_cn),
            issuer_display_name(info, first_copy_of(entry), language),
            list_purpose_text(policy_class, info.policy_oids, translate),
            kind ? std::string(translate(*kind)) : std::string(),
            date_of(info.not_before),
            date_of(info.not_after),
            std::to_string(expiry.days_left),
            status_badge(expiry, translate).text,
            info.serial_hex,
            info.sha1_hex,
            info.sha256_hex,
            key ? yes : no,
            km ? yes : no,
            places_cell(entry.copies, translate),
            issuer_check_text(entry, translate),
            revocation_cell(entry, translate),
        });
    }
    return out;
}
