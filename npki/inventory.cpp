#include "npki/inventory.h"

#include "base/text.h"

#include <algorithm>

namespace {

// The identity key joins the lower-cased issuer and the serial with a NUL: crypt32's texts are cut
// at their first NUL and the serial is hex digits, so the NUL cannot occur in either part.
constexpr char k_identity_separator = '\0';

// Decodes the UTF-8 sequence of exactly `length` bytes at `at`; false when it is not one well-formed
// code point. Only needed to recognise white space, so anything malformed simply counts as text.
bool decode_exact(std::string_view text, size_t at, size_t length, char32_t& out)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    size_t expected;
    char32_t c;
    char32_t min;
    if (lead < 0x80) {
        expected = 1, c = lead, min = 0;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        expected = 2, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        expected = 3, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        expected = 4, c = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (length != expected || at + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return false;
        c = (c << 6) | (byte(k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out = c;
    return true;
}

size_t sequence_length(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    return 2;
}

// Trims Unicode white space (not just ASCII: NBSP and the ideographic space turn up in pasted names).
std::string_view trim(std::string_view text)
{
    for (;;) {
        char32_t c = 0;
        if (text.empty()) return text;
        const size_t length = sequence_length(static_cast<unsigned char>(text.front()));
        if (length > text.size() || !decode_exact(text, 0, length, c) || !is_unicode_space(c)) break;
        text.remove_prefix(length);
    }
    for (;;) {
        if (text.empty()) return text;
        size_t start = text.size() - 1;
        while (start > 0 && text.size() - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        char32_t c = 0;
        if (!decode_exact(text, start, text.size() - start, c) || !is_unicode_space(c)) break;
        text.remove_suffix(text.size() - start);
    }
    return text;
}

bool all_ascii_digits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The closing parenthesis that ends the name part, or npos: the last ")" followed by more than
// seven bytes, provided those bytes are all digits. Shorter tails (an alias's own ")" near the end)
// are passed over.
size_t identifier_close(std::string_view name)
{
    constexpr size_t k_max_skipped_tail_bytes = 7;
    for (size_t close = name.rfind(')'); close != std::string_view::npos;
         close = close == 0 ? std::string_view::npos : name.rfind(')', close - 1)) {
        const std::string_view tail = name.substr(close + 1);
        if (tail.size() <= k_max_skipped_tail_bytes) continue;
        return all_ascii_digits(tail) ? close : std::string_view::npos;
    }
    return std::string_view::npos;
}

}  // namespace

bool same_certificate(const CertificateInfo& a, const CertificateInfo& b)
{
    return a.serial_hex == b.serial_hex && lower_full(a.issuer_dn) == lower_full(b.issuer_dn);
}

std::string certificate_identity_key(const CertificateInfo& info)
{
    std::string key = lower_full(info.issuer_dn);
    key += k_identity_separator;
    key += info.serial_hex;
    return key;
}

std::string path_key(std::wstring_view path)
{
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return lower_full(utf8_from_utf16(path));
}

std::string holder_name(std::string_view subject_cn)
{
    const std::string_view name = trim(subject_cn);
    const size_t close = identifier_close(name);
    if (close == std::string_view::npos) return std::string(name);
    const size_t open = name.rfind('(', close);
    if (open == std::string_view::npos) return std::string(name);

    const std::string_view inside = name.substr(open + 1, close - open - 1);
    const std::string_view candidate = trim(all_ascii_digits(inside) ? name.substr(0, open) : name.substr(0, close + 1));
    return std::string(candidate.empty() ? name : candidate);
}

std::string drive_of_path(std::wstring_view folder)
{
    const std::string text = utf8_from_utf16(folder);
    if (text.size() < 2 || text[1] != ':') return {};
    const char letter = text[0];
    if (letter >= 'a' && letter <= 'z') return std::string{static_cast<char>(letter - 'a' + 'A'), ':'};
    if (letter >= 'A' && letter <= 'Z') return std::string{letter, ':'};
    return {};
}

Path join_path(std::wstring_view base, std::wstring_view name)
{
    Path joined(base);
    if (!joined.empty() && joined.back() != L'\\') joined += L'\\';
    joined += name;
    return joined;
}
