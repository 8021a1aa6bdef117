#pragma once

// The languages the program speaks and the rule that picks one. Pure: the stored setting and the
// Windows UI language come in as parameters.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct Language {
    std::string_view code;          // stored in the "Language" setting
    std::string_view display_name;  // shown as is in every language
    // The locale DirectWrite draws the language's texts in. It picks the region's forms of the Han
    // characters that Japanese and both Chinese scripts share (and Korean hanja), and the scripts'
    // fallback fonts.
    const wchar_t* locale_name;
};

// In the order of the language menu.
inline constexpr Language k_languages[] = {
    {"en", "English", L"en-US"},
    {"ko", "한국어", L"ko-KR"},
    {"ja", "日本語", L"ja-JP"},
    {"zh-Hans", "简体中文", L"zh-CN"},
    {"zh-Hant", "繁體中文", L"zh-TW"},
    {"es", "Español", L"es-ES"},
    {"fr", "Français", L"fr-FR"},
    {"de", "Deutsch", L"de-DE"},
    {"pt", "Português", L"pt-BR"},  // the table is written in Brazilian Portuguese
    {"ru", "Русский", L"ru-RU"},
};

// The locale name of a language code of `k_languages`; "en-US" for any other text.
const wchar_t* locale_name_of(std::string_view code);

// The stored code when it is exactly one of the ten (case-sensitive, whole text); otherwise the code
// for the Windows UI language id (a LANGID). Any other stored text, the empty text of "Follow
// Windows" included, defers to Windows. The result views a code of `k_languages`.
std::string_view choose_language(const std::optional<std::string>& setting, uint16_t ui_language);
