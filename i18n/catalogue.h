#pragma once

// Every user-visible text is a Korean/English pair, looked up by its English text. `Text` can only be
// built at compile time from a pair that is in the catalogue, so code cannot ask for a text the
// translation tables do not know:   tr({"만료됨", "Expired"})

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

struct CataloguePair {
    std::string_view korean;
    std::string_view english;
};

// (declared here, defined with the catalogue) bool is_catalogue_pair(std::string_view ko, std::string_view en);

struct Text {
    std::string_view korean;
    std::string_view english;
    consteval Text(const char* ko, const char* en);  // defined in catalogue_data.h; ill-formed unless a pair
};

// The text to show in the current language.
std::string_view tr(Text text);
// "{0}", "{1}", … replaced by the values, one index after the other.
std::string fill_placeholders(std::string_view text, std::initializer_list<std::string_view> values);
// The language code chosen for this process ("en", "ko", "ja", "zh-Hans", …); chosen once.
std::string_view current_language();
