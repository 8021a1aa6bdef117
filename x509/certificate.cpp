#include "x509/certificate.h"

namespace {

std::string to_hex(std::span<const uint8_t> bytes, const char (&k_digits)[17])
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += k_digits[b >> 4];
        text += k_digits[b & 0x0F];
    }
    return text;
}

}  // namespace

std::string to_hex_upper(std::span<const uint8_t> bytes)
{
    return to_hex(bytes, "0123456789ABCDEF");
}

std::string to_hex_lower(std::span<const uint8_t> bytes)
{
    return to_hex(bytes, "0123456789abcdef");
}
