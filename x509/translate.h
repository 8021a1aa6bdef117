#pragma once

// The label builders take the translation as a parameter so that they can be exercised in any language
// without the process-wide choice; product callers leave it at its default, the catalogue's `tr`.

#include "i18n/catalogue.h"

#include <string_view>

using Translate = std::string_view (*)(Text text);
