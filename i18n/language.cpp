#include "i18n/language.h"

namespace {

constexpr uint16_t k_primary_language_mask = 0x3FF;  // the low 10 bits of a LANGID
// The Chinese ids written in simplified characters; every other Chinese id reads traditional.
constexpr uint16_t k_chinese_prc = 0x0804;
constexpr uint16_t k_chinese_singapore = 0x1004;

std::string_view code_for_windows(uint16_t ui_language)
{
    switch (ui_language & k_primary_language_mask) {
    case 0x04:
        return ui_language == k_chinese_prc || ui_language == k_chinese_singapore ? "zh-Hans" : "zh-Hant";
    case 0x07: return "de";
    case 0x0A: return "es";
    case 0x0C: return "fr";
    case 0x11: return "ja";
    case 0x12: return "ko";
    case 0x16: return "pt";
    case 0x19: return "ru";
    default: return "en";
    }
}

}  // namespace

std::string_view choose_language(const std::optional<std::string>& setting, uint16_t ui_language)
{
    if (setting)
        for (const Language& language : k_languages)
            if (*setting == language.code) return language.code;
    return code_for_windows(ui_language);
}

const wchar_t* locale_name_of(std::string_view code)
{
    for (const Language& language : k_languages)
        if (language.code == code) return language.locale_name;
    return k_languages[0].locale_name;
}
