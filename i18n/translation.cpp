#include "i18n/translation.h"

#include <nlohmann/json.hpp>

TranslationTable parse_table(std::string_view json)
{
    // nlohmann would also skip a UTF-8 byte-order mark; a table must start with white space or the
    // object itself, so look for the brace first.
    const size_t start = json.find_first_not_of(" \t\n\r");
    if (start == std::string_view::npos || json[start] != '{') return {};
    // nlohmann also takes a NUL byte as the end of the input, which would let anything follow it. A
    // valid table never holds one (not even inside a string, where control characters are escaped).
    if (json.find('\0') != std::string_view::npos) return {};

    // Strict parse (trailing non-white-space is an error), no exceptions: a bad table is "discarded".
    const nlohmann::json object = nlohmann::json::parse(json.begin() + start, json.end(), nullptr, false);
    if (!object.is_object()) return {};

    TranslationTable table;
    table.reserve(object.size());
    for (const auto& [key, value] : object.items()) {
        if (!value.is_string()) continue;  // not a translation: that text shows in English
        table.emplace(key, value.get<std::string>());
    }
    return table;
}

std::string_view translate(std::string_view language, Text text, const TranslationTable& table)
{
    if (language == "ko") return text.korean;
    if (language == "en") return text.english;
    const auto found = table.find(text.english);
    return found != table.end() ? std::string_view(found->second) : text.english;
}

std::string fill_placeholders(std::string_view text, std::initializer_list<std::string_view> values)
{
    std::string result(text);
    size_t index = 0;
    for (std::string_view value : values) {
        const std::string placeholder = "{" + std::to_string(index++) + "}";
        // Continue after the inserted value, so a value holding its own placeholder is not replaced
        // again (and cannot loop), while later placeholders inside it are met at their own index.
        for (size_t at = result.find(placeholder); at != std::string::npos;
             at = result.find(placeholder, at + value.size()))
            result.replace(at, placeholder.size(), value);
    }
    return result;
}
