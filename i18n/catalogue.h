#pragma once

// Every user-visible text is a Korean/English pair, looked up by its English text. `Text` can only be
// built at compile time from a pair that is in the catalogue, so code cannot ask for a text the
// translation tables do not know:   tr({"만료됨", "Expired"})
// A pair outside the catalogue fails to compile with an error that names
// `text_is_not_in_the_catalogue`.

#include "i18n/catalogue_data.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Position of the pair in the catalogue; both texts must match whole.
constexpr std::optional<size_t> catalogue_index(std::string_view korean, std::string_view english)
{
    for (size_t i = 0; i < k_catalogue_size; ++i)
        if (k_catalogue[i].english == english && k_catalogue[i].korean == korean) return i;
    return std::nullopt;
}

namespace catalogue_detail {

// Deliberately not constexpr and never defined: reaching it while a `Text` is built makes that
// construction not a constant expression, which the consteval constructor turns into a compile error.
void text_is_not_in_the_catalogue();

// The English text is the key of the tables, so no two pairs may share it.
consteval bool english_keys_unique()
{
    for (size_t i = 0; i < k_catalogue_size; ++i)
        for (size_t j = i + 1; j < k_catalogue_size; ++j)
            if (k_catalogue[i].english == k_catalogue[j].english) return false;
    return true;
}
static_assert(english_keys_unique());

}  // namespace catalogue_detail

struct Text {
    std::string_view korean;
    std::string_view english;

    consteval Text(const char* ko, const char* en) : korean(ko), english(en)
    {
        if (!catalogue_index(korean, english)) catalogue_detail::text_is_not_in_the_catalogue();
    }
};

// The maker's web page, with the language's own path in each table ("/ko/", "/ja/", …).
inline constexpr Text k_maker_page_text{"https://" VESSOP_MAKER_HOST "/ko/", "https://" VESSOP_MAKER_HOST "/"};

// The text to show in the current language. The view stays valid for the life of the process.
std::string_view tr(Text text);
// "{0}", "{1}", … replaced by the values, one index after the other over the whole text. A placeholder
// without a value stays; a value holding a later placeholder is replaced in its turn.
std::string fill_placeholders(std::string_view text, std::initializer_list<std::string_view> values);
// The language code chosen for this process ("en", "ko", "ja", "zh-Hans", …); chosen once.
std::string_view current_language();
