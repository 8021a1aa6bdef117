#pragma once

// The inventory as a readable table for a console: one line per certificate with its holder,
// issuer, purpose, until date and badge, then its places (the first on the same line, further
// copies on lines of their own under it), and a last line with the number of folders checked.
// Columns are padded by display width, Hangul and other wide characters counting two.
//
// Every padded column has a cap: a certificate may carry a name of any length, and padding a
// thousand rows to the widest of them would make the table grow with rows × longest name. Cells
// past their cap are cut with "…" here only (the JSON keeps every value whole). The places stay
// whole, since a cut folder path could no longer be found; each line carries only its own path.

#include "npki/inventory.h"
#include "x509/translate.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The widest each padded column may grow, in display columns: holder, issuer, purpose, until, badge,
// issuer check.
inline constexpr std::array<size_t, 7> k_table_column_caps = {32, 24, 40, 24, 24, 40, 56};

std::string inventory_table(const Inventory& inventory, int64_t now, std::string_view language, Translate translate);

// Columns a terminal gives the UTF-8 text: East Asian wide and full-width characters take two.
size_t display_width(std::string_view utf8);

// The text as one table cell: control characters (line breaks, escape sequences) become U+FFFD so a
// certificate's text can neither break the table's lines nor steer the terminal; a text wider than
// `max_width` columns is cut to at most `max_width` columns ending in "…", never inside a character.
std::string table_cell(std::string_view utf8, size_t max_width);
