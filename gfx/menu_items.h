#pragma once

// What the program's popup menus list and what their answers mean, as plain values: the items get
// the ids 1, 2, … in list order, separators included (a separator's id is simply never returned),
// and a menu answers with the chosen id or 0 when it was dismissed. gfx/menus.h shows them.

#include "npki/inventory.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct MenuItem {
    std::string text;  // UTF-8; empty for a separator
    bool separator = false;
    bool operator==(const MenuItem&) const = default;
};

inline MenuItem menu_separator() { return MenuItem{{}, true}; }

// A text as a menu shows it literally: "&" would otherwise mark the next letter as the item's
// keyboard shortcut and vanish (a folder named "R&D"), so each is doubled.
std::wstring literal_menu_text(std::wstring_view text);

// The place chooser's items: "‹place label› — ‹folder›" per copy in copy order; with `offer_all`, a
// separator and "All places (n)".
std::vector<MenuItem> place_menu_items(const std::vector<CertificateCopy>& copies, bool offer_all,
                                       Translate translate = &tr);

// The copies an id of that menu stands for: none for 0 (dismissed), one copy for its own item, every
// copy in order for anything past the copies (All places).
std::vector<size_t> places_for_menu_id(uint32_t id, size_t copy_count);
