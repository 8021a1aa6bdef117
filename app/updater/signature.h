#pragma once

// The Authenticode check of a downloaded installer: trusted by WinVerifyTrust's generic policy, and
// signed by the maker's company itself.

#include "base/path.h"
#include "base/version.h"

#include <optional>
#include <string>
#include <string_view>

// The only signer an installer may come from, compared byte for byte with the signing certificate's
// simple display name: no trimming, no case folding, no prefix or suffix match.
inline constexpr std::string_view k_required_signer = k_company;

// The simple display name of the signing certificate when WinVerifyTrust trusts the file's
// signature; empty when it does not, or when there is no signer or no certificate chain. The trust
// state is always released.
std::optional<std::string> trusted_signer_name(const Path& file);

// A certificate's name as CertGetNameStringW gave it (without its terminating NUL), in UTF-8; empty when
// it holds a NUL: compared as C text, "Tamsel Works Co., Ltd.\0x" would pass for the maker.
std::optional<std::string> signer_name_of(std::wstring_view name);

// Trusted, and signed by exactly k_required_signer.
bool signed_by_maker(const Path& file);
