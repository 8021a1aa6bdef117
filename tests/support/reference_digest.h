#pragma once

// Plain portable SHA-1 and SHA-256 (FIPS 180-4) for checking thumbprints against a second,
// independent implementation: the product takes SHA-1 from crypt32 and SHA-256 from CNG.

#include <string>
#include <string_view>

// The digest as upper-case hex.
std::string reference_sha1_hex(std::string_view bytes);
std::string reference_sha256_hex(std::string_view bytes);
