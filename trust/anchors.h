#pragma once

// The certificates the issuer check trusts: the Korean root authority's roots and test roots, and the
// licensed CAs' certificates, built into the program (trust/anchors.cmake lists them). Builds made
// for testing (VESSOP_TEST_TRUST) also take those of the folder VESSOP_TEST_ROOTS names.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class AnchorKind : uint8_t {
    Root,      // a root of licensed CAs
    TestRoot,  // a root of test CAs: what chains to it is no certificate banks accept
    Ca,        // a CA's certificate, trusted only as far as it chains to a root
};

struct EmbeddedAnchor {
    AnchorKind kind;
    std::string_view name;
    std::span<const uint8_t> der;
};
// The built-in certificates.
std::span<const EmbeddedAnchor> embedded_anchors();

struct AnchorCertificate {
    AnchorKind kind = AnchorKind::Ca;
    std::string name;
    std::vector<uint8_t> der;
};

// The built-in certificates, and in a test build those of the VESSOP_TEST_ROOTS folder: "root*.der"
// are roots, "testroot*.der" test roots, every other ".der" a CA.
std::vector<AnchorCertificate> anchor_certificates();

// The kind a test folder's file name gives.
AnchorKind anchor_kind_of_file(std::wstring_view file_name);
