#pragma once

// The Authenticode check of a downloaded installer: trusted by WinVerifyTrust's generic policy (the
// whole chain checked for revocation where the servers answer), and signed by the maker's company
// itself, with one of its keys when the build names them.

#include "base/path.h"
#include "base/version.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <wincrypt.h>

// The only signer an installer may come from, compared byte for byte with the signing certificate's
// simple display name: no trimming, no case folding, no prefix or suffix match.
inline constexpr std::string_view k_required_signer = k_company;

// The signer of a file WinVerifyTrust trusts.
struct Signer {
    std::string name;        // the certificate's simple display name (signer_name_of)
    std::string key_sha256;  // SHA-256 of its SubjectPublicKeyInfo, lower-case hex
    friend bool operator==(const Signer&, const Signer&) = default;
};

// A certificate's name as CertGetNameStringW gave it (without its terminating NUL), in UTF-8; empty when
// it holds a NUL: compared as C text, "Tamsel Works Co., Ltd.\0x" would pass for the maker.
std::optional<std::string> signer_name_of(std::wstring_view name);

// SHA-256 of a certificate's SubjectPublicKeyInfo (DER) in lower-case hex, as
// `openssl x509 -pubkey -noout | openssl pkey -pubin -outform DER | sha256sum` gives it.
std::optional<std::string> key_sha256_of(PCCERT_CONTEXT certificate);

// The keys of a ';'-separated list, lower-cased, empty items dropped.
std::vector<std::string> parse_signer_keys(std::string_view list);
// The keys this build accepts (VESSOP_SIGNER_KEY_SHA256); none in development and test builds.
const std::vector<std::string>& pinned_signer_keys();

// The maker: named exactly k_required_signer, and with a key among `pinned` unless none is pinned.
bool is_maker(const Signer& signer, std::span<const std::string> pinned);

enum class TrustVerdict : uint8_t {
    Trusted,
    Untrusted,          // no signature, a bad one, an untrusted root, a revoked certificate...
    RevocationUnknown,  // trusted as far as could be told, but a revocation server did not answer
};
// What a WinVerifyTrust result means.
TrustVerdict trust_verdict(LONG result);

// The signer of the file `held` (opened for reading; `file` is its path) when WinVerifyTrust trusts
// it; empty when it does not, or when there is no signer or no certificate chain. Revocation is
// checked on the whole chain; when that cannot be done (offline, no revocation list to be had) the
// file is judged once more without it. The trust state is always released.
std::optional<Signer> trusted_signer(const Path& file, HANDLE held);

// Trusted, and signed by the maker (is_maker with pinned_signer_keys()).
bool signed_by_maker(const Path& file, HANDLE held);
