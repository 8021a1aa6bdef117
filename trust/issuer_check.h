#pragma once

// Whether a certificate is genuine, offline: signed by a CA whose certificate is signed by the Korean
// root authority (KISA). Signatures are verified with Windows' own cryptography; dates do not matter
// (a certificate issued by a CA whose own certificate has since expired is still genuine).

#include "base/handle.h"
#include "i18n/catalogue.h"
#include "trust/anchors.h"
#include "x509/certificate.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <windows.h>
#include <bcrypt.h>

// "Licensed", "Test", "UnknownIssuer", "Damaged": the names the JSON output uses.
std::string_view trust_state_name(TrustState state);

// What the check says of a certificate, as lists, tables and the detail pane show it.
Text trust_text(TrustState state);
// The short form a certificate's card carries beside its holder kind; none for Licensed (nothing to
// point out). The search finds certificates by it.
std::optional<Text> trust_badge(TrustState state);
// The name of that fact: "Issuer check".
inline constexpr Text k_issuer_check_label{"발급 확인", "Issuer check"};

// The check with its roots and CAs, read once. Safe to use from several threads at once.
class IssuerCheck {
public:
    explicit IssuerCheck(const std::vector<AnchorCertificate>& anchors);

    // The verdict on a certificate's DER. Of the CAs whose subject is its issuer name (and whose key
    // identifier does not contradict its authority key identifier) the first whose key verifies its
    // signature decides; when there are such CAs and none verifies, it is Damaged.
    TrustState check(std::span<const uint8_t> der) const;

    // Where a CA certificate of the anchors chains to: Licensed, Test, or UnknownIssuer when no root's
    // key verifies it (also for a certificate that is no CA of this check).
    TrustState standing_of_ca(std::string_view name) const;

    // Whether a revocation list is signed by the CA that issued `certificate` (one whose key verifies
    // the certificate's signature): only that CA speaks for it.
    bool list_signed_by_issuer_of(PCCERT_CONTEXT certificate, PCCRL_CONTEXT list) const;

private:
    using UniqueKey = UniqueHandle<NullHandleTraits<BCRYPT_KEY_HANDLE, &::BCryptDestroyKey>>;
    struct Issuer {
        std::string name;
        UniqueCertContext certificate;
        TrustState standing = TrustState::UnknownIssuer;  // what a certificate it signed is
        UniqueKey key;  // its public key, imported once; none when CNG cannot take it
    };
    Issuer issuer_of(std::string name, UniqueCertContext certificate, TrustState standing) const;
    // Whether `issuer`'s key verifies `subject`'s signature.
    bool signed_by(PCCERT_CONTEXT subject, const Issuer& issuer) const;

    std::vector<Issuer> issuers_;  // roots, test roots and CAs
    mutable std::mutex key_mutex_;  // one verification at a time per check: key handles are shared
};

// The check with the built-in certificates (and, in a test build, VESSOP_TEST_ROOTS), made at first use.
const IssuerCheck& built_in_issuer_check();

// Verdicts by the SHA-256 of a certificate's bytes, for the threads of one scan: the copies of one
// certificate are verified once.
class VerdictCache {
public:
    explicit VerdictCache(const IssuerCheck& check) : check_(check) {}
    TrustState check(const std::string& sha256_hex, std::span<const uint8_t> der);

private:
    const IssuerCheck& check_;
    std::mutex mutex_;
    std::unordered_map<std::string, TrustState> known_;
};
