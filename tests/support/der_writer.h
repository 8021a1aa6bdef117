#pragma once

// Builds X.509 v3 certificates byte by byte for tests and benchmarks, so that no binary certificate
// is checked in and every field a test cares about is set in plain sight. The certificates are
// well-formed DER that crypt32 parses; the key and the signature are made-up numbers (nothing here
// verifies a signature).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace der {

// One tag-length-value; the length in the shortest definite form.
std::string tlv(uint8_t tag, std::string_view content);
std::string sequence(std::string_view content);
std::string set(std::string_view content);
// Dotted-decimal text ("2.5.4.3") as an OBJECT IDENTIFIER.
std::string oid(std::string_view dotted);
// INTEGER with the content bytes exactly as given (a leading 00 or a long run stays as it is).
std::string integer_raw(std::string_view content);
// INTEGER in the shortest two's-complement form.
std::string integer(int64_t value);
std::string null();
std::string octet_string(std::string_view content);
// BIT STRING with no unused bits.
std::string bit_string(std::string_view content);
std::string boolean(bool value);
// Context-specific constructed tag [n].
std::string explicit_tag(uint8_t number, std::string_view content);

}  // namespace der

inline constexpr std::string_view k_oid_country = "2.5.4.6";
inline constexpr std::string_view k_oid_organization = "2.5.4.10";
inline constexpr std::string_view k_oid_organizational_unit = "2.5.4.11";
inline constexpr std::string_view k_oid_common_name = "2.5.4.3";
inline constexpr std::string_view k_oid_certificate_policies = "2.5.29.32";
inline constexpr std::string_view k_oid_key_usage = "2.5.29.15";

// The string types a name attribute can carry; the value is the ASN.1 tag.
enum class StringType : uint8_t {
    utf8 = 0x0C,
    printable = 0x13,
    ia5 = 0x16,
    universal = 0x1C,  // the value is given as UTF-8 and written as UTF-32BE
    bmp = 0x1E,        // the value is given as UTF-8 and written as UTF-16BE
};

// The subject's public key. Made-up numbers in the shapes real certificates carry; the signature
// algorithm follows the key (SHA-256 with RSA, or ECDSA with SHA-256 and an (r, s) pair).
enum class KeyKind {
    rsa_512,   // short modulus, keeps test certificates small
    rsa_2048,  // the size NPKI certificates use
    ec_p256,   // id-ecPublicKey on prime256v1, an uncompressed point
};

struct NameAttribute {
    std::string oid;
    std::string value;  // UTF-8 (for every type; bytes are written as they are except for BMPString)
    StringType type = StringType::utf8;
};

// One relative distinguished name (a SET OF attributes, nearly always one).
using Rdn = std::vector<NameAttribute>;
// RDNs in encoded order: NPKI names are encoded country first.
using DistinguishedName = std::vector<Rdn>;

enum class TimeEncoding {
    automatic,         // UTCTime for 1950..2049, GeneralizedTime otherwise (the RFC 5280 rule)
    generalized_time,  // GeneralizedTime for every year
};

struct Extension {
    std::string oid;
    std::string value;  // the content of the extnValue OCTET STRING (DER of the extension's structure)
    bool critical = false;
};

// A certificate with NPKI-like defaults; every field may be changed before make_certificate_der.
struct TestCertificate {
    DistinguishedName subject = {
        {{std::string(k_oid_country), "KR", StringType::printable}},
        {{std::string(k_oid_organization), "yessign", StringType::utf8}},
        {{std::string(k_oid_organizational_unit), "personal4IB", StringType::utf8}},
        {{std::string(k_oid_organizational_unit), "XYZ", StringType::utf8}},
        {{std::string(k_oid_common_name), "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99()0012345678901234",  // 홍길동
          StringType::utf8}},
    };
    DistinguishedName issuer = {
        {{std::string(k_oid_country), "kr", StringType::printable}},
        {{std::string(k_oid_organization), "yessign", StringType::utf8}},
        {{std::string(k_oid_common_name), "yessignCA Class 2", StringType::utf8}},
    };
    KeyKind key = KeyKind::rsa_512;
    std::string serial = std::string("\x01\x2E\x5A\x7F", 4);  // INTEGER content bytes, most significant first
    int64_t not_before = 1704067200;                          // 2024-01-01 00:00:00 UTC
    int64_t not_after = 1735689599;                           // 2024-12-31 23:59:59 UTC
    TimeEncoding time_encoding = TimeEncoding::automatic;
    // The certificate-policies extension: written when `has_policies`, with these OIDs in this order.
    bool has_policies = true;
    std::vector<std::string> policy_oids = {"1.2.410.200005.1.1.1"};
    // Writes bytes that are no CertificatePolicies structure as the extension's value instead.
    bool corrupt_policies = false;
    // Written before the policies extension. With no policies and no other extensions the
    // certificate has no extensions field at all.
    std::vector<Extension> other_extensions;
    // A real key instead of made-up bytes: its SubjectPublicKeyInfo (DER), and what signs the
    // to-be-signed part (sha256WithRSAEncryption, big-endian). `sign` alone signs a made-up RSA
    // subject key for real (a user certificate whose own key nothing uses).
    std::string public_key_info;
    std::function<std::string(std::string_view)> sign;
};

// The DER bytes of the certificate described by `test_certificate`.
std::string make_certificate_der(const TestCertificate& test_certificate);

// Building blocks, exposed for tests of unusual structures.
std::string encode_name(const DistinguishedName& name);
std::string encode_time(int64_t seconds_since_1970, TimeEncoding encoding);
std::string encode_certificate_policies(const std::vector<std::string>& policy_oids);
// A key-usage extension (digitalSignature, nonRepudiation), a harmless "other" extension.
Extension key_usage_extension();
