#include "tests/support/der_writer.h"

#include "base/handle.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

// The writer is what every certificate test stands on: a wrong length or time here would make the
// decoder tests prove nothing.

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

TEST(DerWriter, LengthsUseShortestDefiniteForm)
{
    struct Case {
        size_t content_size;
        std::string header;
    };
    const Case k_cases[] = {
        {0, bytes({0x04, 0x00})},
        {127, bytes({0x04, 0x7F})},
        {128, bytes({0x04, 0x81, 0x80})},
        {255, bytes({0x04, 0x81, 0xFF})},
        {256, bytes({0x04, 0x82, 0x01, 0x00})},
        {70000, bytes({0x04, 0x83, 0x01, 0x11, 0x70})},
    };
    for (const Case& c : k_cases) {
        const std::string encoded = der::octet_string(std::string(c.content_size, 'x'));
        EXPECT_EQ(encoded.substr(0, c.header.size()), c.header) << c.content_size;
        EXPECT_EQ(encoded.size(), c.header.size() + c.content_size);
    }
}

TEST(DerWriter, IntegersAreMinimalTwosComplement)
{
    struct Case {
        int64_t value;
        std::string encoded;
    };
    const Case k_cases[] = {
        {0, bytes({0x02, 0x01, 0x00})},
        {127, bytes({0x02, 0x01, 0x7F})},
        {128, bytes({0x02, 0x02, 0x00, 0x80})},
        {65537, bytes({0x02, 0x03, 0x01, 0x00, 0x01})},
        {-1, bytes({0x02, 0x01, 0xFF})},
        {-128, bytes({0x02, 0x01, 0x80})},
        {-129, bytes({0x02, 0x02, 0xFF, 0x7F})},
    };
    for (const Case& c : k_cases) EXPECT_EQ(der::integer(c.value), c.encoded) << c.value;
    EXPECT_EQ(der::integer_raw(bytes({0x00, 0x8F, 0x01})), bytes({0x02, 0x03, 0x00, 0x8F, 0x01}));
}

TEST(DerWriter, ObjectIdentifiersUseBase128Arcs)
{
    struct Case {
        const char* dotted;
        std::string encoded;
    };
    const Case k_cases[] = {
        {"2.5.4.3", bytes({0x06, 0x03, 0x55, 0x04, 0x03})},
        {"2.5.29.32", bytes({0x06, 0x03, 0x55, 0x1D, 0x20})},
        {"1.2.840.113549.1.1.11", bytes({0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B})},
        {"1.2.410.200005.1.1.1", bytes({0x06, 0x09, 0x2A, 0x83, 0x1A, 0x8C, 0x9A, 0x45, 0x01, 0x01, 0x01})},
    };
    for (const Case& c : k_cases) EXPECT_EQ(der::oid(c.dotted), c.encoded) << c.dotted;
    EXPECT_THROW(der::oid("1..2"), std::invalid_argument);
    EXPECT_THROW(der::oid("2"), std::invalid_argument);
}

TEST(DerWriter, TimesPickUtcTimeOnlyWhereItFits)
{
    struct Case {
        int64_t seconds;
        TimeEncoding encoding;
        int tag;
        const char* text;
    };
    const Case k_cases[] = {
        {0, TimeEncoding::automatic, 0x17, "700101000000Z"},
        {-1, TimeEncoding::automatic, 0x17, "691231235959Z"},
        {-631152000, TimeEncoding::automatic, 0x17, "500101000000Z"},
        {-631152001, TimeEncoding::automatic, 0x18, "19491231235959Z"},
        {2524607999, TimeEncoding::automatic, 0x17, "491231235959Z"},
        {2524608000, TimeEncoding::automatic, 0x18, "20500101000000Z"},
        {951782400, TimeEncoding::automatic, 0x17, "000229000000Z"},  // leap day 2000
        {1735689599, TimeEncoding::generalized_time, 0x18, "20241231235959Z"},
        {-11644473600, TimeEncoding::automatic, 0x18, "16010101000000Z"},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(encode_time(c.seconds, c.encoding), der::tlv(static_cast<uint8_t>(c.tag), c.text)) << c.seconds;
    }
}

TEST(DerWriter, WideStringTypesAreBigEndian)
{
    struct Case {
        StringType type;
        std::string encoded;
    };
    // A홍 and U+1F600, which BMPString cannot hold and UTF-16 writes as a surrogate pair.
    const std::string value = "A\xED\x99\x8D\xF0\x9F\x98\x80";
    const Case k_cases[] = {
        {StringType::bmp, bytes({0x1E, 0x08, 0x00, 0x41, 0xD6, 0x4D, 0xD8, 0x3D, 0xDE, 0x00})},
        {StringType::universal,
         bytes({0x1C, 0x0C, 0x00, 0x00, 0x00, 0x41, 0x00, 0x00, 0xD6, 0x4D, 0x00, 0x01, 0xF6, 0x00})},
    };
    for (const Case& c : k_cases) {
        const DistinguishedName name = {{{std::string(k_oid_common_name), value, c.type}}};
        const std::string attribute = der::sequence(der::oid(k_oid_common_name) + c.encoded);
        EXPECT_EQ(encode_name(name), der::sequence(der::set(attribute))) << static_cast<int>(c.type);
    }
}

TEST(DerWriter, EveryKeyKindParsesWithItsAlgorithm)
{
    struct Case {
        KeyKind key;
        const char* key_algorithm;
        const char* signature_algorithm;
        DWORD rsa_bits;  // 0: not asked (crypt32 under Wine does not measure EC keys)
    };
    const Case k_cases[] = {
        {KeyKind::rsa_512, "1.2.840.113549.1.1.1", "1.2.840.113549.1.1.11", 512},
        {KeyKind::rsa_2048, "1.2.840.113549.1.1.1", "1.2.840.113549.1.1.11", 2048},
        {KeyKind::ec_p256, "1.2.840.10045.2.1", "1.2.840.10045.4.3.2", 0},
    };
    for (const Case& c : k_cases) {
        TestCertificate test_certificate;
        test_certificate.key = c.key;
        const std::string der = make_certificate_der(test_certificate);
        UniqueCertContext context(CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                               reinterpret_cast<const BYTE*>(der.data()),
                                                               static_cast<DWORD>(der.size())));
        ASSERT_TRUE(context) << c.key_algorithm;
        const CERT_INFO& info = *context.get()->pCertInfo;
        EXPECT_STREQ(info.SubjectPublicKeyInfo.Algorithm.pszObjId, c.key_algorithm);
        EXPECT_STREQ(info.SignatureAlgorithm.pszObjId, c.signature_algorithm);
        CERT_PUBLIC_KEY_INFO key = info.SubjectPublicKeyInfo;  // the call takes a non-const pointer
        if (c.rsa_bits) {
            EXPECT_EQ(CertGetPublicKeyLength(X509_ASN_ENCODING, &key), c.rsa_bits);
        }
    }
}

}  // namespace
