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
};

// In the order of the language menu.
inline constexpr Language k_languages[] = {
    {"en", "English"},
    {"ko", "한국어"},
    {"ja", "日本語"},
    {"zh-Hans", "简体中文"},
    {"zh-Hant", "繁體中文"},
    {"es", "Español"},
    {"fr", "Français"},
    {"de", "Deutsch"},
    {"pt", "Português"},
    {"ru", "Русский"},
};

// The stored code when it is exactly one of the ten (case-sensitive, whole text); otherwise the code
// for the Windows UI language id (a LANGID). Any other stored text, the empty text of "Follow
// Windows" included, defers to Windows. The result views a code of `k_languages`.
std::string_view choose_language(const std::optional<std::string>& setting, uint16_t ui_language);
