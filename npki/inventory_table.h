#pragma once

// The inventory as a readable table for a console: one line per certificate with its holder,
// issuer, purpose, until date and badge, then its places (the first on the same line, further
// copies on lines of their own under it), and a last line with the number of folders checked.
// Columns are padded by display width, Hangul and other wide characters counting two.

#include "npki/inventory.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

std::string inventory_table(const Inventory& inventory, int64_t now, std::string_view language, Translate translate);

// Columns a terminal gives the UTF-8 text: East Asian wide and full-width characters take two.
size_t display_width(std::string_view utf8);
