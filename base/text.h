#pragma once

// Text inside the program is UTF-8; UTF-16 appears only at platform calls. Both directions are lossy
// by design: an unpaired surrogate or an invalid UTF-8 sequence becomes U+FFFD, so a strange file name
// never stops a scan.

#include <string>
#include <string_view>

// UTF-16 to UTF-8; the whole view is converted, NULs included.
std::string utf8_from_utf16(std::wstring_view text);
// UTF-16 to UTF-8 up to the first NUL, or the end of the buffer when there is none.
std::string utf8_from_utf16_until_nul(const wchar_t* text, size_t max_units);
// UTF-8 to UTF-16.
std::wstring utf16_from_utf8(std::string_view text);
// Whether the bytes are well-formed UTF-8 (the lossy round trip changes exactly the malformed sequences).
bool is_valid_utf8(std::string_view text);

// Full Unicode lower-case mapping of UTF-8 text: Windows' own case table plus the rules it lacks
// (U+0130 becomes "i" and a combining dot above; capital sigma at the end of a word becomes final sigma).
std::string lower_full(std::string_view text);
std::wstring lower_full(std::wstring_view text);

// Reads one code point of UTF-8 at `at` and moves `at` past it. A malformed sequence (bad lead byte,
// missing or bad continuation, overlong form, surrogate, beyond U+10FFFF) yields U+FFFD for its
// maximal bad prefix, as the conversions above do. `at` must be below the text's size.
char32_t next_code_point(std::string_view text, size_t& at);

// True for A-Z and a-z only (drive letters, scheme names): no locale, no other script.
constexpr bool is_ascii_letter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The text with A-Z turned into a-z and every other byte as it is (hex digits, key names).
std::string ascii_lower(std::string_view text);

// Whether `text` begins with `prefix`, A-Z and a-z matching either case (path prefixes such as "UNC\").
bool starts_with_ignoring_ascii_case(std::wstring_view text, std::wstring_view prefix);

// True for the Unicode white-space characters (White_Space property).
bool is_unicode_space(char32_t c);
// The UTF-8 text without Unicode white space at either end; a malformed sequence counts as text.
std::string_view trim_unicode_space(std::string_view text);

// Characters that text from a certificate or a folder name may not carry into a message as they are:
// C0 and C1 controls (line breaks, escape sequences), DEL, the line and paragraph separators, and the
// bidirectional marks, embeddings, overrides and isolates that would reorder the text around them.
bool is_format_control(char32_t c);
// The text with each such character, and each malformed UTF-8 sequence, as U+FFFD: a name can then
// neither break a message's lines nor make a confirmation read otherwise than it acts.
std::string with_controls_replaced(std::string_view utf8);
