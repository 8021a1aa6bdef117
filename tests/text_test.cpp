#include "base/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf16ToUtf8, ConvertsAllPlanesAndReplacesUnpairedSurrogates)
{
    struct Case {
        std::wstring in;
        std::string out;
    };
    const Case k_cases[] = {
        {L"", ""},
        {L"abc", "abc"},
        {L"\uD64D\uAE38\uB3D9", "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99"},  // 홍길동
        {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "\xF0\x9F\x98\x80"},
        {std::wstring{L'a', wchar_t(0xD800), L'b'}, "a\xEF\xBF\xBD" "b"},   // lone high surrogate
        {std::wstring{wchar_t(0xDC00)}, "\xEF\xBF\xBD"},                     // lone low surrogate
        {std::wstring{wchar_t(0xD800)}, "\xEF\xBF\xBD"},                     // high surrogate at the end
    };
    for (const Case& c : k_cases) EXPECT_EQ(utf8_from_utf16(c.in), c.out);
}

TEST(Utf16ToUtf8, StopsAtFirstNulOrBufferEnd)
{
    const wchar_t buffer[] = {L'a', L'b', 0, L'c'};
    EXPECT_EQ(utf8_from_utf16_until_nul(buffer, 4), "ab");
    EXPECT_EQ(utf8_from_utf16_until_nul(buffer, 1), "a");
    EXPECT_EQ(utf8_from_utf16_until_nul(nullptr, 3), "");
}

TEST(Utf8ToUtf16, RoundTripsValidAndReplacesInvalidSequences)
{
    struct Case {
        std::string in;
        std::wstring out;
    };
    const Case k_cases[] = {
        {"\xEA\xB0\x80", L"\uAC00"},
        {"\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},            // overlong slash
        {"\xED\xA0\x80", L"\uFFFD"},            // an encoded surrogate is one bad sequence
        {"a\xE2\x82", L"a\uFFFD"},                 // truncated at the end
        {"\xFF", L"\uFFFD"},
    };
    for (const Case& c : k_cases) EXPECT_EQ(utf16_from_utf8(c.in), c.out) << c.in;
}

TEST(LowerFull, MapsAsciiHangulGreekTurkish)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case k_cases[] = {
        {"CN=YesSign,O=KFTC", "cn=yessign,o=kftc"},
        {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 ABC", "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 abc"},  // Hangul unchanged
        {"\xCE\x91\xCE\x92\xCE\x93", "\xCE\xB1\xCE\xB2\xCE\xB3"},                                   // ΑΒΓ -> αβγ
        {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82"},                   // ΟΔΟΣ -> οδος (final)
        {"\xCE\xA3\xCE\x91", "\xCF\x83\xCE\xB1"},                                                   // ΣΑ -> σα (not final)
        {"\xCE\xA3", "\xCF\x83"},                                                                   // lone Σ -> σ
        {"\xC4\xB0stanbul", "i\xCC\x87stanbul"},                                                    // İ -> i + U+0307
        {"I", "i"},
        {"\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90", "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
        {"\xEF\xBC\xA1", "\xEF\xBD\x81"},  // full-width A
    };
    for (const Case& c : k_cases) EXPECT_EQ(lower_full(std::string(c.in)), c.out) << c.in;
}

TEST(UnicodeSpace, KnowsSpacesAndNonSpaces)
{
    for (char32_t c : {U' ', U'\t', U'\r', U'\n', char32_t(0x3000), char32_t(0xA0), char32_t(0x2003)})
        EXPECT_TRUE(is_unicode_space(c)) << int(c);
    for (char32_t c : {U'a', U'0', char32_t(0x200B), char32_t(0xFEFF), char32_t(0xAC00)})
        EXPECT_FALSE(is_unicode_space(c)) << int(c);
}

TEST(TrimUnicodeSpace, TrimsBothEndsAndKeepsMalformedBytes)
{
    struct Case {
        std::string in;
        std::string out;
    };
    const Case k_cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"  a b  ", "a b"},
        {"\xE3\x80\x80\xED\x99\x8D\xC2\xA0", "\xED\x99\x8D"},  // ideographic space, NBSP
        {"\xFF ", "\xFF"},                                          // a bad byte is text, not space
        {" \xE3\x80", "\xE3\x80"},                                  // a cut sequence too
    };
    for (const Case& c : k_cases) EXPECT_EQ(trim_unicode_space(c.in), c.out) << c.in;
}

}  // namespace

TEST(ControlsReplaced, NoNameCanBreakOrReorderAMessage)
{
    const struct {
        const char* text;
        const char* shown;
    } k_cases[] = {
        {"홍길동 kim.backup", "홍길동 kim.backup"},  // inner dots, spaces, Hangul stay
        {"a\nb\r\tc", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD" "c"},
        {"\x1B[31m", "\xEF\xBF\xBD[31m"},
        {"x\x7F\xC2\x85y", "x\xEF\xBF\xBD\xEF\xBF\xBDy"},                        // DEL, NEL
        {"\xE2\x80\xAE" "exe.txt", "\xEF\xBF\xBD" "exe.txt"},                        // U+202E right-to-left override
        {"\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xE2\x81\xA6\xE2\x81\xA9", "\xEF\xBF\xBD\xEF\xBF\xBD"},                 // isolates U+2066, U+2069
        {"\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // LRM, RLM, ALM
        {"\xE2\x80\xA8\xE2\x80\xA9", "\xEF\xBF\xBD\xEF\xBF\xBD"},                 // line, paragraph separator
        {"\xE2\x80\x8D\xE2\x81\xA0", "\xE2\x80\x8D\xE2\x81\xA0"},                 // joiners are text
        {"bad \xC3(", "bad \xEF\xBF\xBD("},
    };
    for (const auto& c : k_cases) EXPECT_EQ(with_controls_replaced(c.text), c.shown) << c.text;
}
