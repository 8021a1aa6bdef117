#include "base/text.h"

#include <windows.h>

namespace {

constexpr char32_t k_replacement = 0xFFFD;

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void append_utf16(std::wstring& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<wchar_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
}

bool is_high_surrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Reads one code point at i and advances i; an unpaired surrogate yields U+FFFD.
char32_t next_utf16(std::wstring_view text, size_t& i)
{
    char32_t u = static_cast<char16_t>(text[i++]);
    if (is_high_surrogate(u)) {
        if (i < text.size() && is_low_surrogate(static_cast<char16_t>(text[i]))) {
            char32_t low = static_cast<char16_t>(text[i++]);
            return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        }
        return k_replacement;
    }
    if (is_low_surrogate(u)) return k_replacement;
    return u;
}

char32_t next_utf8(std::string_view text, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i++);
    if (lead < 0x80) return lead;
    int extra;
    char32_t c;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
        return k_replacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80) return k_replacement;
        c = (c << 6) | (byte(i++) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return k_replacement;
    return c;
}

bool is_case_ignorable(wchar_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || c == L'\'' || c == 0x00B7 || c == 0x2019 || c == 0x00AD;
}

bool is_cased(wchar_t c)
{
    return c != 0 && (IsCharUpperW(c) || IsCharLowerW(c));
}

// Unicode's Final_Sigma condition: a cased letter before (skipping case-ignorables), none after.
bool is_final_sigma(std::wstring_view text, size_t at)
{
    size_t k = at;
    bool cased_before = false;
    while (k > 0) {
        wchar_t c = text[--k];
        if (is_case_ignorable(c)) continue;
        cased_before = is_cased(c);
        break;
    }
    if (!cased_before) return false;
    for (k = at + 1; k < text.size(); ++k) {
        wchar_t c = text[k];
        if (is_case_ignorable(c)) continue;
        return !is_cased(c);
    }
    return true;
}

}  // namespace

std::string utf8_from_utf16(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) append_utf8(out, next_utf16(text, i));
    return out;
}

std::string utf8_from_utf16_until_nul(const wchar_t* text, size_t max_units)
{
    if (!text) return {};
    size_t n = 0;
    while (n < max_units && text[n] != 0) ++n;
    return utf8_from_utf16(std::wstring_view(text, n));
}

std::wstring utf16_from_utf8(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) append_utf16(out, next_utf8(text, i));
    return out;
}

std::wstring lower_full(std::wstring_view text)
{
    if (text.empty()) return {};
    std::wstring mapped(text);
    // The simple one-to-one mapping of Windows keeps the length, so positions line up with the input.
    int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()),
                          mapped.data(), static_cast<int>(mapped.size()), nullptr, nullptr, 0);
    if (n != static_cast<int>(text.size())) mapped.assign(text);

    std::wstring out;
    out.reserve(text.size() + 4);
    for (size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
        case 0x0130:  // LATIN CAPITAL LETTER I WITH DOT ABOVE: full mapping is two code points
            out += L'i';
            out += wchar_t(0x0307);
            break;
        case 0x1E9E:  // LATIN CAPITAL LETTER SHARP S
            out += wchar_t(0x00DF);
            break;
        case 0x03A3:  // GREEK CAPITAL LETTER SIGMA
            out += is_final_sigma(text, i) ? wchar_t(0x03C2) : wchar_t(0x03C3);
            break;
        default:
            out += mapped[i];
        }
    }
    return out;
}

std::string lower_full(std::string_view text)
{
    return utf8_from_utf16(lower_full(utf16_from_utf8(text)));
}

char32_t next_code_point(std::string_view text, size_t& at)
{
    return next_utf8(text, at);
}

bool is_unicode_space(char32_t c)
{
    switch (c) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

std::string_view trim_unicode_space(std::string_view text)
{
    size_t begin = text.size();
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t at = i;
        if (is_unicode_space(next_utf8(text, i))) continue;
        if (begin == text.size()) begin = at;
        end = i;
    }
    return begin < end ? text.substr(begin, end - begin) : std::string_view{};
}

bool starts_with_ignoring_ascii_case(std::wstring_view text, std::wstring_view prefix)
{
    if (text.size() < prefix.size()) return false;
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    for (size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

bool is_format_control(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || c == 0x2028 ||
           c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string with_controls_replaced(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        const char32_t c = next_code_point(utf8, i);
        if (is_format_control(c) || c == k_replacement) {
            out += "\xEF\xBF\xBD";
        } else {
            out += utf8.substr(start, i - start);
        }
    }
    return out;
}

std::string ascii_lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool is_valid_utf8(std::string_view text)
{
    return utf8_from_utf16(utf16_from_utf8(text)) == text;
}
