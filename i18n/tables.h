#pragma once

#include <string_view>

// The UTF-8 JSON translation table built into the executable for a language code ("ja", "zh-Hans", …);
// empty when there is none (English and Korean have no table).
std::string_view embedded_table(std::string_view code);
