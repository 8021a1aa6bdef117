#pragma once

// Translations for the label builders' `Translate` parameter, so that a test can ask for English or
// Korean whatever language the test process chose.

#include "i18n/catalogue.h"

#include <string_view>

inline std::string_view in_english(Text text) { return text.english; }
inline std::string_view in_korean(Text text) { return text.korean; }
