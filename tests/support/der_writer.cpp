#include "tests/support/der_writer.h"

#include "base/text.h"

#include <cstdio>
#include <stdexcept>

namespace der {

std::string tlv(uint8_t tag, std::string_view content)
{
    std::string out(1, static_cast<char>(tag));
    const size_t n = content.size();
    if (n < 0x80) {
        out += static_cast<char>(n);
    } else {
        std::string length;
        for (size_t rest = n; rest != 0; rest >>= 8) length.insert(length.begin(), static_cast<char>(rest & 0xFF));
        out += static_cast<char>(0x80 | length.size());
        out += length;
    }
    out.append(content);
    return out;
}

std::string sequence(std::string_view content) { return tlv(0x30, content); }
std::string set(std::string_view content) { return tlv(0x31, content); }
std::string null() { return tlv(0x05, {}); }
std::string octet_string(std::string_view content) { return tlv(0x04, content); }
std::string boolean(bool value) { return tlv(0x01, std::string(1, value ? '\xFF' : '\x00')); }
std::string integer_raw(std::string_view content) { return tlv(0x02, content); }

std::string bit_string(std::string_view content)
{
    std::string body(1, '\0');  // no unused bits in the last byte
    body.append(content);
    return tlv(0x03, body);
}

std::string explicit_tag(uint8_t number, std::string_view content)
{
    return tlv(static_cast<uint8_t>(0xA0 | number), content);
}

std::string integer(int64_t value)
{
    std::string bytes;
    for (int i = 7; i >= 0; --i) bytes += static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
    // Drop leading bytes that only repeat the sign of the next one.
    size_t start = 0;
    while (start + 1 < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[start]);
        const auto b1 = static_cast<unsigned char>(bytes[start + 1]);
        if ((b0 == 0x00 && !(b1 & 0x80)) || (b0 == 0xFF && (b1 & 0x80))) {
            ++start;
        } else {
            break;
        }
    }
    return integer_raw(std::string_view(bytes).substr(start));
}

std::string oid(std::string_view dotted)
{
    std::vector<uint64_t> arcs;
    uint64_t current = 0;
    bool have_digit = false;
    for (char c : dotted) {
        if (c == '.') {
            if (!have_digit) throw std::invalid_argument("empty OID arc");
            arcs.push_back(current);
            current = 0;
            have_digit = false;
        } else if (c >= '0' && c <= '9') {
            current = current * 10 + static_cast<uint64_t>(c - '0');
            have_digit = true;
        } else {
            throw std::invalid_argument("bad character in OID");
        }
    }
    if (!have_digit) throw std::invalid_argument("empty OID arc");
    arcs.push_back(current);
    if (arcs.size() < 2) throw std::invalid_argument("an OID has at least two arcs");

    std::string body;
    const auto base128 = [&body](uint64_t value) {
        std::string groups(1, static_cast<char>(value & 0x7F));
        for (value >>= 7; value != 0; value >>= 7) groups.insert(groups.begin(), static_cast<char>(0x80 | (value & 0x7F)));
        body += groups;
    };
    base128(arcs[0] * 40 + arcs[1]);
    for (size_t i = 2; i < arcs.size(); ++i) base128(arcs[i]);
    return tlv(0x06, body);
}

}  // namespace der

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days), valid for
// negative day counts too.
void civil_from_days(int64_t days, int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

std::string encode_string(const NameAttribute& attribute)
{
    if (attribute.type == StringType::bmp) {
        std::string be;
        for (wchar_t unit : utf16_from_utf8(attribute.value)) {
            be += static_cast<char>((unit >> 8) & 0xFF);
            be += static_cast<char>(unit & 0xFF);
        }
        return der::tlv(static_cast<uint8_t>(attribute.type), be);
    }
    if (attribute.type == StringType::universal) {
        const std::wstring units = utf16_from_utf8(attribute.value);
        std::string be;
        for (size_t i = 0; i < units.size(); ++i) {
            char32_t c = units[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size()) c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
            for (int shift = 24; shift >= 0; shift -= 8) be += static_cast<char>((c >> shift) & 0xFF);
        }
        return der::tlv(static_cast<uint8_t>(attribute.type), be);
    }
    return der::tlv(static_cast<uint8_t>(attribute.type), attribute.value);
}

// Made-up key bytes: crypt32 only needs the structure to parse.
std::string made_up_bytes(size_t count, uint8_t first, uint8_t step)
{
    std::string out;
    for (size_t i = 0; i < count; ++i) out += static_cast<char>(static_cast<uint8_t>(first + i * step));
    return out;
}

std::string public_key_info(KeyKind key)
{
    if (key == KeyKind::ec_p256) {
        const std::string algorithm = der::sequence(der::oid("1.2.840.10045.2.1") + der::oid("1.2.840.10045.3.1.7"));
        return der::sequence(algorithm + der::bit_string("\x04" + made_up_bytes(64, 0x11, 0x05)));
    }
    // The modulus has its top bit set, so its INTEGER needs a leading zero byte.
    std::string modulus(1, '\0');
    modulus += key == KeyKind::rsa_2048 ? made_up_bytes(256, 0xC3, 0x07) : made_up_bytes(64, 0xC1, 0x01);
    const std::string rsa_key = der::sequence(der::integer_raw(modulus) + der::integer(65537));
    const std::string algorithm = der::sequence(der::oid("1.2.840.113549.1.1.1") + der::null());
    return der::sequence(algorithm + der::bit_string(rsa_key));
}

std::string signature_algorithm(KeyKind key)
{
    if (key == KeyKind::ec_p256) return der::sequence(der::oid("1.2.840.10045.4.3.2"));  // no parameters
    return der::sequence(der::oid("1.2.840.113549.1.1.11") + der::null());
}

std::string signature_value(KeyKind key)
{
    if (key == KeyKind::ec_p256) {
        const std::string r = "\x00" + made_up_bytes(32, 0x9A, 0x03);
        const std::string s = made_up_bytes(32, 0x41, 0x0B);
        return der::bit_string(der::sequence(der::integer_raw(r) + der::integer_raw(s)));
    }
    std::string signature;
    const size_t length = key == KeyKind::rsa_2048 ? 256 : 64;
    for (size_t i = 0; i < length; ++i) signature += static_cast<char>(0x5A ^ (i * 7));
    return der::bit_string(signature);
}

std::string encode_extension(const Extension& extension)
{
    std::string body = der::oid(extension.oid);
    if (extension.critical) body += der::boolean(true);
    body += der::octet_string(extension.value);
    return der::sequence(body);
}

}  // namespace

std::string encode_name(const DistinguishedName& name)
{
    std::string rdns;
    for (const Rdn& rdn : name) {
        std::string attributes;
        for (const NameAttribute& attribute : rdn) attributes += der::sequence(der::oid(attribute.oid) + encode_string(attribute));
        rdns += der::set(attributes);
    }
    return der::sequence(rdns);
}

std::string encode_time(int64_t seconds_since_1970, TimeEncoding encoding)
{
    const int64_t days = (seconds_since_1970 >= 0 ? seconds_since_1970 : seconds_since_1970 - 86399) / 86400;
    const int64_t second_of_day = seconds_since_1970 - days * 86400;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civil_from_days(days, year, month, day);
    if (year < 0 || year > 9999) throw std::invalid_argument("year outside 0..9999");
    const auto hh = static_cast<int>(second_of_day / 3600);
    const auto mm = static_cast<int>(second_of_day / 60 % 60);
    const auto ss = static_cast<int>(second_of_day % 60);

    char text[32];
    const bool utc_time = encoding == TimeEncoding::automatic && year >= 1950 && year <= 2049;
    if (utc_time) {
        std::snprintf(text, sizeof text, "%02d%02u%02u%02d%02d%02dZ", static_cast<int>(year % 100), month, day, hh, mm, ss);
        return der::tlv(0x17, text);
    }
    std::snprintf(text, sizeof text, "%04d%02u%02u%02d%02d%02dZ", static_cast<int>(year), month, day, hh, mm, ss);
    return der::tlv(0x18, text);
}

std::string encode_certificate_policies(const std::vector<std::string>& policy_oids)
{
    std::string policies;
    for (const std::string& policy : policy_oids) policies += der::sequence(der::oid(policy));
    return der::sequence(policies);
}

Extension key_usage_extension()
{
    // BIT STRING with 6 unused bits: digitalSignature (bit 0) and nonRepudiation (bit 1).
    return Extension{std::string(k_oid_key_usage), der::tlv(0x03, std::string("\x06\xC0", 2)), true};
}

std::string make_certificate_der(const TestCertificate& test_certificate)
{
    std::string extensions;
    for (const Extension& extension : test_certificate.other_extensions) extensions += encode_extension(extension);
    if (test_certificate.corrupt_policies) {
        // A SEQUENCE whose length runs past its end: no decoder can take it as CertificatePolicies.
        extensions += encode_extension({std::string(k_oid_certificate_policies), std::string("\x30\x7F\x06\x03\x55", 5)});
    } else if (test_certificate.has_policies) {
        extensions += encode_extension({std::string(k_oid_certificate_policies), encode_certificate_policies(test_certificate.policy_oids)});
    }

    std::string tbs = der::explicit_tag(0, der::integer(2));  // v3
    tbs += der::integer_raw(test_certificate.serial);
    tbs += signature_algorithm(test_certificate.key);
    tbs += encode_name(test_certificate.issuer);
    tbs += der::sequence(encode_time(test_certificate.not_before, test_certificate.time_encoding) + encode_time(test_certificate.not_after, test_certificate.time_encoding));
    tbs += encode_name(test_certificate.subject);
    tbs += test_certificate.public_key_info.empty() ? public_key_info(test_certificate.key) : test_certificate.public_key_info;
    if (!extensions.empty()) tbs += der::explicit_tag(3, der::sequence(extensions));

    const std::string signed_part = der::sequence(tbs);
    const std::string signature = test_certificate.sign ? der::bit_string(test_certificate.sign(signed_part))
                                                        : signature_value(test_certificate.key);
    return der::sequence(signed_part + signature_algorithm(test_certificate.key) + signature);
}
