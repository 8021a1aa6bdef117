#pragma once

// What a certificate may be used for (from its certificate-policy OIDs), who issued it (from its
// free-form issuer names) and where a copy lies, as words for the user. Everything here is a pure
// function of the records, evaluated each time a row is drawn; nothing is cached in the inventory.

#include "x509/certificate.h"
#include "x509/translate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class Purpose : uint8_t { AllPurpose, Banking, Securities, ETaxInvoice, SpecialPurpose, Other };
enum class HolderKind : uint8_t { Personal, Business, Unspecified };

struct PolicyClass {
    Purpose purpose = Purpose::Other;
    HolderKind holder_kind = HolderKind::Unspecified;
    bool operator==(const PolicyClass&) const = default;
};

// The first of the certificate's OIDs (in extension order) that is a known Korean policy decides;
// (Other, Unspecified) when none is.
PolicyClass classify_policies(const std::vector<std::string>& policy_oids);

// The bilingual labels; a holder kind of Unspecified has none.
Text purpose_label(Purpose purpose);
std::optional<Text> holder_kind_label(HolderKind kind);

// Names for machine-readable output ("AllPurpose", "Personal", …), the same in every language.
std::string_view purpose_name(Purpose purpose);
std::string_view holder_kind_name(HolderKind kind);

// Detail pane: the purpose, then " · " and the holder kind when one is stated.
std::string purpose_row_text(PolicyClass policy_class, Translate translate = &tr);
// List row: the purpose alone; "Other" names the first OID, or "-" when there is none.
std::string list_purpose_text(PolicyClass policy_class, const std::vector<std::string>& policy_oids,
                              Translate translate = &tr);
// Detail pane: every OID joined with ", ", or "None".
std::string policy_oid_row_text(const std::vector<std::string>& policy_oids, Translate translate = &tr);

// The certification authority's name, Korean only when `language` is exactly "ko" and English for every
// other language (issuer names bypass the catalogue). The organisation, then the common name, then the
// CA folder of the first copy are searched for a known key; when none holds one, the first non-empty of
// them as stored.
std::string issuer_display_name(const CertificateInfo& info, const CertificateCopy* first_copy,
                                std::string_view language);
// The same in the language of this process.
std::string issuer_display_name(const CertificateInfo& info, const CertificateCopy* first_copy);

// "USB drive (E:)", "Hard disk (C:)", or the kind alone when the copy has no drive letter.
std::string place_label(const CertificateCopy& copy, Translate translate = &tr);
