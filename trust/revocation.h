#pragma once

// Whether an issuer has revoked a certificate: where the issuer publishes its list of revoked
// certificates (the certificate's CRL distribution points, LDAP or HTTP addresses) and what a fetched
// list says of the certificate. Pure: fetching a list and verifying its signature happen elsewhere.

#include "x509/translate.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

enum class RevocationState : uint8_t {
    NotChecked,  // nobody asked the issuer (the check runs only on request)
    Good,        // the issuer's list does not name it
    Revoked,     // the issuer's list names it
    Unknown,     // no verified list could be had; UnknownWhy says why
};
// "NotChecked", "Good", "Revoked", "Unknown", as vessop-scan's JSON says it.
std::string_view revocation_state_name(RevocationState state);

// The detail pane's row, the lists' column.
inline constexpr Text k_revocation_label{"폐기 여부", "Revocation"};

// The reasons RFC 5280 gives for a revocation, by their codes in a list entry.
enum class RevocationReason : uint8_t {
    Unspecified = 0,
    KeyCompromise = 1,
    CaCompromise = 2,
    AffiliationChanged = 3,
    Superseded = 4,            // re-issued: a new certificate replaces it
    CessationOfOperation = 5,  // no longer needed
    CertificateHold = 6,       // suspended, may be released
    RemoveFromCrl = 8,         // only in delta lists: the entry is withdrawn
    PrivilegeWithdrawn = 9,
    AaCompromise = 10,
};
// The reason of a list entry's code; none for a code RFC 5280 does not define (7 among them).
std::optional<RevocationReason> revocation_reason_of(int64_t code);
// RFC 5280's name of a reason ("superseded", "keyCompromise", …), as vessop-scan's JSON says it.
std::string_view revocation_reason_name(RevocationReason reason);

// Why a check ended without an answer.
enum class UnknownWhy : uint8_t {
    NoList,        // the certificate names no distribution point Vessop can use
    NotLicensed,   // its issuer is no CA of the issuer check: no key to verify a list with
    BadAddress,    // the address it names cannot be used as it stands
    Unreachable,   // the server could not be reached, did not answer in time, or had no list there
    TooLarge,      // the list exceeds the size a list may have
    Unverifiable,  // the list is no list, or its signature does not verify with the issuer's key
    WrongIssuer,   // the list is another issuer's
};
// A word for vessop-scan's JSON: "noList", "notLicensed", "badAddress", "unreachable", "tooLarge",
// "unverifiable", "wrongIssuer".
std::string_view unknown_why_name(UnknownWhy why);

// One place a list is published, from a distribution point's URL.
enum class PointScheme : uint8_t { Ldap, Http, Https };
struct DistributionPoint {
    PointScheme scheme = PointScheme::Ldap;
    std::string host;       // a name or an address; an IPv6 address without its brackets
    uint16_t port = 0;      // the URL's, or the scheme's default (389, 80, 443)
    std::string dn;         // LDAP: the entry holding the list, percent escapes decoded (UTF-8)
    std::string attribute;  // LDAP: the first attribute the URL names, decoded; empty when it names none
    std::string path;       // HTTP: the path and query as the URL gives them ("/" when it gives none)
    bool operator==(const DistributionPoint&) const = default;
};
// The place an "ldap://", "http://" or "https://" URL names (RFC 4516 for LDAP: host, port, DN and
// attributes; a scope, filter or non-critical extension is ignored, since the search is of the DN's
// own entry). None for any other scheme, a URL without a host, with user information, a bad port, a
// bad or NUL-producing percent escape, text that is not UTF-8 after decoding, or a critical LDAP
// extension (which a client must not ignore).
std::optional<DistributionPoint> parse_distribution_point(std::string_view url);

// What a fetched list says, as the caller read it.
struct ListEntry {
    int64_t revoked_at = 0;                   // seconds since 1970
    std::optional<int64_t> reason_code;       // the entry's reason code extension, when it has one
    bool operator==(const ListEntry&) const = default;
};
struct ListFacts {
    bool signature_verified = false;          // with the key of the CA that issued the certificate
    bool issuer_matches = false;              // the list's issuer is the certificate's issuer
    int64_t this_update = 0;                  // when the list was issued
    std::optional<int64_t> next_update;       // when the next one is due
    std::optional<ListEntry> entry;           // the certificate's entry, when the list names its serial
    bool operator==(const ListFacts&) const = default;
};

struct RevocationOutcome {
    RevocationState state = RevocationState::NotChecked;
    int64_t revoked_at = 0;                   // Revoked
    int64_t list_issued = 0;                  // Good and Revoked: the list's thisUpdate
    std::optional<RevocationReason> reason;   // Revoked, when the entry gives a reason
    std::optional<UnknownWhy> why;            // Unknown
    bool stale = false;                       // the list's nextUpdate has passed (it is still used)
    std::string source;                       // the address the list came from
    bool operator==(const RevocationOutcome&) const = default;
};

// The outcome for a certificate from a list fetched from `source`, at `now`. A list that does not
// verify or is another issuer's says nothing; a list past its next update still counts, said stale.
// An entry withdrawn in a delta list (removeFromCRL) is no revocation.
RevocationOutcome decide_revocation(const ListFacts& facts, int64_t now, std::string source);
// The outcome when no list could be had.
RevocationOutcome revocation_unknown(UnknownWhy why, std::string source = {});

// What the detail pane, the tables and the lists say of an outcome: "Not revoked (issuer's list of
// 2026-12-01)", "Revoked on 2026-11-20: replaced by a new certificate", "Unknown: the issuer's directory
// could not be reached"… Dates are written by `date_of` (seconds since 1970 to text).
std::string revocation_text(const RevocationOutcome& outcome, Translate translate,
                            const std::function<std::string(int64_t)>& date_of);
// The same with dates as the calendar date in the current time zone.
std::string revocation_text(const RevocationOutcome& outcome, Translate translate = &tr);
