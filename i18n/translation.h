#pragma once

// Translation tables and the lookup of one text, as pure functions: the process-wide choice of
// language lives in catalogue.cpp and only feeds these.

#include "i18n/catalogue.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

struct TextHash {
    using is_transparent = void;  // find() by string_view without building a std::string
    size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

// English text -> translation.
using TranslationTable = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;

// Table format: optional leading white space (space, tab, LF, CR), one JSON object whose members map
// an English text to its translation, then nothing but white space. Anything else, a byte-order mark
// included, gives the empty table (every text then shows in English). A key given twice keeps its
// last value; a member whose value is not a string is left out.
TranslationTable parse_table(std::string_view json);

// The text in `language`: Korean and English come from the pair itself, the other languages from the
// table, falling back to English for a key the table lacks. The view points into `text` or `table`.
std::string_view translate(std::string_view language, Text text, const TranslationTable& table);
