// Where an issuer publishes its revocation list, and what a verified list says of a certificate.

#include "trust/revocation.h"

#include <gtest/gtest.h>

namespace {

DistributionPoint ldap(std::string host, uint16_t port, std::string dn, std::string attribute = {})
{
    return {PointScheme::Ldap, std::move(host), port, std::move(dn), std::move(attribute), {}};
}

DistributionPoint http(PointScheme scheme, std::string host, uint16_t port, std::string path)
{
    return {scheme, std::move(host), port, {}, {}, std::move(path)};
}

TEST(DistributionPoints, ParsedFromTheUrlsCertificatesCarry)
{
    const struct {
        const char* url;
        std::optional<DistributionPoint> expected;
    } k_cases[] = {
        // As the licensed CAs write them: no attribute, the DN as it stands.
        {"ldap://ldap.signgate.com:389/ou=dp7p18584,ou=crldp,ou=AccreditedCA,o=KICA,c=KR",
         ldap("ldap.signgate.com", 389, "ou=dp7p18584,ou=crldp,ou=AccreditedCA,o=KICA,c=KR")},
        {"ldap://ldap.tradesign.net:389/cn=crl1dp588,ou=crldp3,ou=AccreditedCA,o=TradeSign,c=KR",
         ldap("ldap.tradesign.net", 389, "cn=crl1dp588,ou=crldp3,ou=AccreditedCA,o=TradeSign,c=KR")},
        // Escapes decoded (a space, a comma inside a value, Hangul), the default port, the first attribute.
        {"LDAP://dir.example/cn=CRL%20one,o=A%5C%2CB,c=KR?certificateRevocationList;binary,other?base",
         ldap("dir.example", 389, "cn=CRL one,o=A\\,B,c=KR", "certificateRevocationList;binary")},
        {"ldap://127.0.0.1:3890/cn=%ED%95%9C,c=KR", ldap("127.0.0.1", 3890, "cn=\xED\x95\x9C,c=KR")},
        {"ldap://[::1]:10389/c=KR", ldap("::1", 10389, "c=KR")},
        {"ldap://host:/c=KR??base?(objectClass=*)?x-ext", ldap("host", 389, "c=KR")},  // a non-critical extension
        // Not usable: no host, no DN, user information, bad ports, bad escapes, a NUL, bad UTF-8,
        // a critical extension, a sixth part.
        {"ldap:///c=KR", std::nullopt},
        {"ldap://host", std::nullopt},
        {"ldap://host/", std::nullopt},
        {"ldap://user@host/c=KR", std::nullopt},
        {"ldap://host:0/c=KR", std::nullopt},
        {"ldap://host:65536/c=KR", std::nullopt},
        {"ldap://host:38a/c=KR", std::nullopt},
        {"ldap://host:000000389/c=KR", std::nullopt},
        {"ldap://host/cn=%4", std::nullopt},
        {"ldap://host/cn=%zz", std::nullopt},
        {"ldap://host/cn=a%00b", std::nullopt},
        {"ldap://host/cn=%FF", std::nullopt},
        {"ldap://host/c=KR???" "?!1.2.3", std::nullopt},  // split: "??!" would be a trigraph
        {"ldap://host/c=KR?a?b?c?d?e", std::nullopt},
        {"ldap://ho st/c=KR", std::nullopt},
        {"ldap://[::1/c=KR", std::nullopt},
        // HTTP: default ports, the path as given, the fragment dropped; no controls or spaces in it.
        {"http://crl.example.com/CA4.crl", http(PointScheme::Http, "crl.example.com", 80, "/CA4.crl")},
        {"http://127.0.0.1:8080/lists/ca.crl?gen=2#top", http(PointScheme::Http, "127.0.0.1", 8080, "/lists/ca.crl?gen=2")},
        {"https://crl.example.com", http(PointScheme::Https, "crl.example.com", 443, "/")},
        {"http://crl.example.com?x", http(PointScheme::Http, "crl.example.com", 80, "/?x")},
        {"http://crl.example.com/a b.crl", std::nullopt},
        {"http://crl.example.com/a\r\nHost: evil", std::nullopt},
        {"http://:80/x", std::nullopt},
        // Other schemes.
        {"ldaps://host/c=KR", std::nullopt},
        {"file:///C:/list.crl", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : k_cases) EXPECT_EQ(parse_distribution_point(c.url), c.expected) << c.url;
}

TEST(RevocationDecision, FromAVerifiedListOnly)
{
    constexpr int64_t now = 1'800'000'000;
    const std::string source = "ldap://127.0.0.1:3890/cn=crl,c=KR";
    const ListFacts current{true, true, now - 3600, now + 86'400, std::nullopt};
    const auto revoked_for = [&](std::optional<int64_t> code) {
        ListFacts facts = current;
        facts.entry = ListEntry{now - 7 * 86'400, code};
        return facts;
    };
    const auto outcome = [&](RevocationState state, std::optional<RevocationReason> reason, bool stale) {
        RevocationOutcome o;
        o.state = state;
        o.list_issued = now - 3600;
        o.revoked_at = state == RevocationState::Revoked ? now - 7 * 86'400 : 0;
        o.reason = reason;
        o.stale = stale;
        o.source = source;
        return o;
    };
    ListFacts stale = current;
    stale.next_update = now - 1;
    ListFacts forged = revoked_for(4);
    forged.signature_verified = false;
    ListFacts other_issuer = current;
    other_issuer.issuer_matches = false;

    const struct {
        const char* what;
        ListFacts facts;
        RevocationOutcome expected;
    } k_cases[] = {
        {"not in the list", current, outcome(RevocationState::Good, std::nullopt, false)},
        {"past its next update: still used, said stale", stale, outcome(RevocationState::Good, std::nullopt, true)},
        {"re-issued", revoked_for(4), outcome(RevocationState::Revoked, RevocationReason::Superseded, false)},
        {"key compromised", revoked_for(1), outcome(RevocationState::Revoked, RevocationReason::KeyCompromise, false)},
        {"no longer needed", revoked_for(5), outcome(RevocationState::Revoked, RevocationReason::CessationOfOperation, false)},
        {"on hold", revoked_for(6), outcome(RevocationState::Revoked, RevocationReason::CertificateHold, false)},
        {"no reason given", revoked_for(std::nullopt), outcome(RevocationState::Revoked, std::nullopt, false)},
        {"a code RFC 5280 does not define", revoked_for(7), outcome(RevocationState::Revoked, std::nullopt, false)},
        {"withdrawn from hold in a delta list", revoked_for(8), outcome(RevocationState::Good, std::nullopt, false)},
        {"signature does not verify", forged, revocation_unknown(UnknownWhy::Unverifiable, source)},
        {"another issuer's list", other_issuer, revocation_unknown(UnknownWhy::WrongIssuer, source)},
    };
    for (const auto& c : k_cases) EXPECT_EQ(decide_revocation(c.facts, now, source), c.expected) << c.what;
}

TEST(RevocationDecision, NamesAsTheJsonSaysThem)
{
    EXPECT_EQ(revocation_reason_name(RevocationReason::Superseded), "superseded");
    EXPECT_EQ(revocation_reason_name(RevocationReason::KeyCompromise), "keyCompromise");
    EXPECT_EQ(revocation_reason_name(RevocationReason::CessationOfOperation), "cessationOfOperation");
    EXPECT_EQ(revocation_reason_name(RevocationReason::RemoveFromCrl), "removeFromCRL");
    for (int64_t code = -1; code <= 11; ++code) {
        const std::optional<RevocationReason> reason = revocation_reason_of(code);
        EXPECT_EQ(reason.has_value(), code >= 0 && code <= 10 && code != 7) << code;
        if (reason) {
            EXPECT_EQ(static_cast<int64_t>(*reason), code);
        }
    }
    EXPECT_EQ(unknown_why_name(UnknownWhy::Unreachable), "unreachable");
    EXPECT_EQ(unknown_why_name(UnknownWhy::NotLicensed), "notLicensed");
}

TEST(RevocationText, SaysEachOutcomeInWords)
{
    const Translate english = [](Text text) { return text.english; };
    const Translate korean = [](Text text) { return text.korean; };
    const auto date_of = [](int64_t seconds) { return "day " + std::to_string(seconds); };
    const auto revoked = [](std::optional<RevocationReason> reason) {
        RevocationOutcome o;
        o.state = RevocationState::Revoked;
        o.revoked_at = 7;
        o.reason = reason;
        return o;
    };
    RevocationOutcome good;
    good.state = RevocationState::Good;
    good.list_issued = 3;
    RevocationOutcome stale = good;
    stale.stale = true;
    const struct {
        RevocationOutcome outcome;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {RevocationOutcome{}, english, "Not checked \xE2\x80\x94 click to ask the issuers"},
        {good, english, "Not revoked (issuer's list of day 3)"},
        {stale, english, "Not revoked (issuer's list of day 3, out of date)"},
        {good, korean, "폐기되지 않음 (day 3 기준)"},
        {revoked(RevocationReason::Superseded), english, "Revoked on day 7: replaced by a new certificate"},
        {revoked(RevocationReason::Superseded), korean, "day 7에 폐기됨: 새 인증서로 교체됨"},
        {revoked(RevocationReason::KeyCompromise), english, "Revoked on day 7: key compromised"},
        {revoked(RevocationReason::CessationOfOperation), english, "Revoked on day 7: no longer needed"},
        {revoked(RevocationReason::CertificateHold), english, "On hold since day 7"},
        {revoked(RevocationReason::AffiliationChanged), english, "Revoked on day 7"},
        {revoked(std::nullopt), english, "Revoked on day 7"},
        {revocation_unknown(UnknownWhy::Unreachable), english, "Unknown: the issuer's directory could not be reached"},
        {revocation_unknown(UnknownWhy::Unverifiable), english, "Unknown: the issuer's list could not be verified"},
        {revocation_unknown(UnknownWhy::WrongIssuer), english, "Unknown: the issuer's list could not be verified"},
        {revocation_unknown(UnknownWhy::NoList), english, "Unknown: the certificate names no list"},
        {revocation_unknown(UnknownWhy::BadAddress), english, "Unknown: the certificate names no list"},
        {revocation_unknown(UnknownWhy::NotLicensed), korean, "알 수 없음: 공인된 인증기관이 발급한 인증서가 아닙니다"},
        {revocation_unknown(UnknownWhy::TooLarge), english, "Unknown: the issuer's list is too large"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(revocation_text(c.outcome, c.translate, date_of), c.expected);
}

}  // namespace
