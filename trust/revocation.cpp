#include "trust/revocation.h"

#include "base/text.h"
#include "i18n/catalogue.h"
#include "x509/dates.h"

#include <utility>

namespace {

constexpr std::string_view k_ldap = "ldap://";
constexpr std::string_view k_http = "http://";
constexpr std::string_view k_https = "https://";

bool starts_with_ascii_case(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && ascii_lower(text.substr(0, prefix.size())) == prefix;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The text with its %XX escapes decoded; none for a bad escape, a NUL (it would end the DN in the
// C strings the directory calls take) or bytes that are not UTF-8.
std::optional<std::string> percent_decoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            if (text[i] == '\0') return std::nullopt;
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = hex_value(text[i + 1]);
        const int low = hex_value(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!is_valid_utf8(out)) return std::nullopt;
    return out;
}

// Host and port from "host", "host:port", "[v6]" or "[v6]:port"; none for an empty host, user
// information, characters no host name has, or a port outside 1-65535.
bool parse_host_port(std::string_view authority, uint16_t default_port, std::string& host, uint16_t& port)
{
    if (authority.empty() || authority.find('@') != std::string_view::npos) return false;
    std::string_view port_text;
    if (authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        host = std::string(authority.substr(1, close - 1));
        for (const char c : host)
            if (!(hex_value(c) >= 0 || c == ':' || c == '.')) return false;
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            port_text = rest.substr(1);
        }
    } else {
        const size_t colon = authority.find(':');
        host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos) port_text = authority.substr(colon + 1);
        if (host.empty()) return false;
        for (const char c : host) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                            c == '.' || c == '_';
            if (!ok) return false;
        }
    }
    if (port_text.empty()) {
        // "host:" with nothing after the colon takes the default, as RFC 3986 allows.
        port = default_port;
        return true;
    }
    if (port_text.size() > 5) return false;
    uint32_t value = 0;
    for (const char c : port_text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

std::optional<DistributionPoint> parse_ldap(std::string_view rest)
{
    DistributionPoint point;
    point.scheme = PointScheme::Ldap;
    const size_t slash = rest.find('/');
    if (!parse_host_port(rest.substr(0, slash), 389, point.host, point.port)) return std::nullopt;
    if (slash == std::string_view::npos) return std::nullopt;  // no DN: nothing to search
    // dn ? attributes ? scope ? filter ? extensions
    std::string_view parts[5];
    std::string_view tail = rest.substr(slash + 1);
    for (size_t k = 0; k < 5; ++k) {
        const size_t mark = tail.find('?');
        parts[k] = tail.substr(0, mark);
        if (mark == std::string_view::npos) {
            tail = {};
            break;
        }
        tail = tail.substr(mark + 1);
        if (k == 4) return std::nullopt;  // a sixth part
    }
    const std::optional<std::string> dn = percent_decoded(parts[0]);
    if (!dn || dn->empty()) return std::nullopt;
    point.dn = *dn;
    const std::string_view attributes = parts[1];
    const std::optional<std::string> first = percent_decoded(attributes.substr(0, attributes.find(',')));
    if (!first) return std::nullopt;
    point.attribute = *first;
    // A critical extension ("!name") must be understood; Vessop understands none.
    for (std::string_view extensions = parts[4]; !extensions.empty();) {
        const size_t comma = extensions.find(',');
        if (extensions.front() == '!') return std::nullopt;
        if (comma == std::string_view::npos) break;
        extensions = extensions.substr(comma + 1);
    }
    return point;
}

std::optional<DistributionPoint> parse_http(std::string_view rest, PointScheme scheme)
{
    DistributionPoint point;
    point.scheme = scheme;
    const size_t end = rest.find_first_of("/?#");
    if (!parse_host_port(rest.substr(0, end), scheme == PointScheme::Https ? 443 : 80, point.host, point.port))
        return std::nullopt;
    std::string_view path = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    path = path.substr(0, path.find('#'));  // a fragment never goes to the server
    for (const char c : path)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return std::nullopt;
    point.path = path.empty() || path.front() != '/' ? "/" + std::string(path) : std::string(path);
    return point;
}

}  // namespace

std::optional<RevocationReason> revocation_reason_of(int64_t code)
{
    switch (code) {
    case 0: return RevocationReason::Unspecified;
    case 1: return RevocationReason::KeyCompromise;
    case 2: return RevocationReason::CaCompromise;
    case 3: return RevocationReason::AffiliationChanged;
    case 4: return RevocationReason::Superseded;
    case 5: return RevocationReason::CessationOfOperation;
    case 6: return RevocationReason::CertificateHold;
    case 8: return RevocationReason::RemoveFromCrl;
    case 9: return RevocationReason::PrivilegeWithdrawn;
    case 10: return RevocationReason::AaCompromise;
    default: return std::nullopt;
    }
}

std::string_view revocation_state_name(RevocationState state)
{
    switch (state) {
    case RevocationState::NotChecked: return "NotChecked";
    case RevocationState::Good: return "Good";
    case RevocationState::Revoked: return "Revoked";
    case RevocationState::Unknown: return "Unknown";
    }
    return "NotChecked";
}

std::string_view revocation_reason_name(RevocationReason reason)
{
    switch (reason) {
    case RevocationReason::Unspecified: return "unspecified";
    case RevocationReason::KeyCompromise: return "keyCompromise";
    case RevocationReason::CaCompromise: return "cACompromise";
    case RevocationReason::AffiliationChanged: return "affiliationChanged";
    case RevocationReason::Superseded: return "superseded";
    case RevocationReason::CessationOfOperation: return "cessationOfOperation";
    case RevocationReason::CertificateHold: return "certificateHold";
    case RevocationReason::RemoveFromCrl: return "removeFromCRL";
    case RevocationReason::PrivilegeWithdrawn: return "privilegeWithdrawn";
    case RevocationReason::AaCompromise: return "aACompromise";
    }
    return "unspecified";
}

std::string_view unknown_why_name(UnknownWhy why)
{
    switch (why) {
    case UnknownWhy::NoList: return "noList";
    case UnknownWhy::NotLicensed: return "notLicensed";
    case UnknownWhy::BadAddress: return "badAddress";
    case UnknownWhy::Unreachable: return "unreachable";
    case UnknownWhy::TooLarge: return "tooLarge";
    case UnknownWhy::Unverifiable: return "unverifiable";
    case UnknownWhy::WrongIssuer: return "wrongIssuer";
    }
    return "unreachable";
}

std::optional<DistributionPoint> parse_distribution_point(std::string_view url)
{
    if (starts_with_ascii_case(url, k_ldap)) return parse_ldap(url.substr(k_ldap.size()));
    if (starts_with_ascii_case(url, k_http)) return parse_http(url.substr(k_http.size()), PointScheme::Http);
    if (starts_with_ascii_case(url, k_https)) return parse_http(url.substr(k_https.size()), PointScheme::Https);
    return std::nullopt;
}

RevocationOutcome revocation_unknown(UnknownWhy why, std::string source)
{
    RevocationOutcome outcome;
    outcome.state = RevocationState::Unknown;
    outcome.why = why;
    outcome.source = std::move(source);
    return outcome;
}

RevocationOutcome decide_revocation(const ListFacts& facts, int64_t now, std::string source)
{
    if (!facts.signature_verified) return revocation_unknown(UnknownWhy::Unverifiable, std::move(source));
    if (!facts.issuer_matches) return revocation_unknown(UnknownWhy::WrongIssuer, std::move(source));
    RevocationOutcome outcome;
    outcome.source = std::move(source);
    outcome.list_issued = facts.this_update;
    outcome.stale = facts.next_update && now > *facts.next_update;
    const std::optional<RevocationReason> reason =
        facts.entry && facts.entry->reason_code ? revocation_reason_of(*facts.entry->reason_code) : std::nullopt;
    if (!facts.entry || reason == RevocationReason::RemoveFromCrl) {
        outcome.state = RevocationState::Good;
        return outcome;
    }
    outcome.state = RevocationState::Revoked;
    outcome.revoked_at = facts.entry->revoked_at;
    outcome.reason = reason;
    return outcome;
}

std::string revocation_text(const RevocationOutcome& outcome, Translate translate,
                            const std::function<std::string(int64_t)>& date_of)
{
    const auto with_date = [&](Text text, int64_t seconds) { return fill_placeholders(translate(text), {date_of(seconds)}); };
    switch (outcome.state) {
    case RevocationState::NotChecked:
        return std::string(translate({"확인하지 않음 — 누르면 발급 기관에 확인합니다", "Not checked — click to ask the issuers"}));
    case RevocationState::Good:
        return outcome.stale ? with_date({"폐기되지 않음 ({0} 기준, 갱신 기한이 지난 목록)",
                                          "Not revoked (issuer's list of {0}, out of date)"},
                                         outcome.list_issued)
                             : with_date({"폐기되지 않음 ({0} 기준)", "Not revoked (issuer's list of {0})"}, outcome.list_issued);
    case RevocationState::Revoked:
        switch (outcome.reason.value_or(RevocationReason::Unspecified)) {
        case RevocationReason::Superseded:
            return with_date({"{0}에 폐기됨: 새 인증서로 교체됨", "Revoked on {0}: replaced by a new certificate"}, outcome.revoked_at);
        case RevocationReason::KeyCompromise:
            return with_date({"{0}에 폐기됨: 키 유출", "Revoked on {0}: key compromised"}, outcome.revoked_at);
        case RevocationReason::CessationOfOperation:
            return with_date({"{0}에 폐기됨: 더 이상 쓰지 않음", "Revoked on {0}: no longer needed"}, outcome.revoked_at);
        case RevocationReason::CertificateHold:
            return with_date({"{0}부터 효력 정지", "On hold since {0}"}, outcome.revoked_at);
        default:
            return with_date({"{0}에 폐기됨", "Revoked on {0}"}, outcome.revoked_at);
        }
    case RevocationState::Unknown:
        break;
    }
    switch (outcome.why.value_or(UnknownWhy::Unreachable)) {
    case UnknownWhy::NoList:
    case UnknownWhy::BadAddress:
        return std::string(translate({"알 수 없음: 인증서에 폐기 목록의 주소가 없습니다", "Unknown: the certificate names no list"}));
    case UnknownWhy::NotLicensed:
        return std::string(
            translate({"알 수 없음: 공인된 인증기관이 발급한 인증서가 아닙니다", "Unknown: its issuer is not a licensed CA"}));
    case UnknownWhy::TooLarge:
        return std::string(translate({"알 수 없음: 발급 기관의 목록이 너무 큽니다", "Unknown: the issuer's list is too large"}));
    case UnknownWhy::Unverifiable:
    case UnknownWhy::WrongIssuer:
        return std::string(
            translate({"알 수 없음: 발급 기관의 목록을 검증하지 못했습니다", "Unknown: the issuer's list could not be verified"}));
    case UnknownWhy::Unreachable:
        break;
    }
    return std::string(
        translate({"알 수 없음: 발급 기관의 서버에 연결하지 못했습니다", "Unknown: the issuer's directory could not be reached"}));
}

std::string revocation_text(const RevocationOutcome& outcome, Translate translate)
{
    return revocation_text(outcome, translate, [](int64_t seconds) { return date_text(local_date_of(seconds)); });
}
