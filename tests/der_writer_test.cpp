#include "tests/support/der_writer.h"

#include <gtest/gtest.h>

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

TEST(DerWriter, BmpStringsAreUtf16BigEndian)
{
    const DistinguishedName name = {{{std::string(k_oid_common_name), "A\xED\x99\x8D", StringType::bmp}}};  // A홍
    const std::string attribute = der::sequence(der::oid(k_oid_common_name) + bytes({0x1E, 0x04, 0x00, 0x41, 0xD6, 0x4D}));
    EXPECT_EQ(encode_name(name), der::sequence(der::set(attribute)));
}

}  // namespace
