#pragma once

#include "base/path.h"
#include "trust/revocation.h"
#include "x509/certificate.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One certificate with every place a copy of it was found (never empty, scan order).
struct CertificateEntry {
    CertificateInfo info;  // decoded from the first copy found
    std::vector<CertificateCopy> copies;
    RevocationOutcome revocation;  // NotChecked until the user asks the issuers
};

// The copy the entry's details were read from; none for an entry without copies.
inline const CertificateCopy* first_copy_of(const CertificateEntry& entry)
{
    return entry.copies.empty() ? nullptr : &entry.copies.front();
}

// The result of one scan.
struct Inventory {
    std::vector<CertificateEntry> entries;  // in list order
    uint64_t folders_checked = 0;           // search roots that existed and were scanned
};

// Identity: issuer names equal after full Unicode lower-casing, serial numbers equal byte for byte.
bool same_certificate(const CertificateInfo& a, const CertificateInfo& b);
// The identity key, so that grouping can hash: equal keys exactly when same_certificate holds.
std::string certificate_identity_key(const CertificateInfo& info);

// Comparison key of a folder path: lossy UTF-8, trailing backslashes removed, full lower-casing.
std::string path_key(std::wstring_view path);

// The holder's name as lists and messages show it: the NPKI identifier digits after the name dropped.
std::string holder_name(std::string_view subject_cn);

// "X:" (upper-cased) when the folder's text begins with an ASCII letter and a colon; empty for UNC
// and relative paths.
std::string drive_of_path(std::wstring_view folder);

// What needs attention in a list: how many entries are expired (now has reached their end) and how
// many expire soon (expiring today included), at one reading of the clock; how many the issuer check
// found damaged, made for testing, or from an issuer it does not know.
struct ListSummary {
    size_t expiring_soon = 0;
    size_t expired = 0;
    size_t damaged = 0;
    size_t test = 0;
    size_t unknown_issuer = 0;
    size_t revoked = 0;  // revoked by their issuer and not yet expired (an expired one counts as expired)
    bool operator==(const ListSummary&) const = default;
};
ListSummary list_summary(const std::vector<CertificateEntry>& entries, int64_t now);

// The badge a card carries beside its holder-kind chip: "Revoked" once the issuer said so (in the
// danger colour), else the issuer check's short verdict (danger for a damaged file, warning for a
// test certificate or an unknown issuer); none for a licensed certificate in good standing.
struct CardBadge {
    Text text;
    bool danger = false;
};
std::optional<CardBadge> card_badge(const CertificateEntry& entry);

// What the issuer check says of an entry, in full. When its copies are not the same bytes the copies
// that differ are named by `name_of_copy` (an index into `entry.copies`), joined by ", ".
std::string issuer_check_text(const CertificateEntry& entry, Translate translate,
                              const std::function<std::string(size_t)>& name_of_copy);
// The same, naming a differing copy by its folder (lists and tables).
std::string issuer_check_text(const CertificateEntry& entry, Translate translate);

// What a list's revocation column says of an entry: nothing until the issuers were asked.
std::string revocation_cell(const CertificateEntry& entry, Translate translate);

// "NPKI folders checked on hard disks and USB drives: n" in the current language: the window's
// summary and vessop-scan's table say it alike.
std::string folders_checked_text(uint64_t folders_checked, Translate translate = &tr);
