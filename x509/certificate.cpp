#include "x509/certificate.h"

std::string to_hex_upper(std::span<const uint8_t> bytes)
{
    constexpr char k_digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += k_digits[b >> 4];
        text += k_digits[b & 0x0F];
    }
    return text;
}
