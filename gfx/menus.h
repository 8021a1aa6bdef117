#pragma once

// Native popup menus for choosing among a few places: which copy of a certificate a command acts
// on, where to copy it. Each is a plain list shown with one modal call; the window's state must not
// be held across it.

#include "gfx/menu_items.h"
#include "npki/inventory.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>

// Shows the items as a popup menu at a client point of `owner` and waits for the choice: the chosen
// id, or 0 when the menu was dismissed or could not be made.
uint32_t popup_menu(HWND owner, float x, float y, const std::vector<MenuItem>& items);

// Which copies of a certificate a command acts on. One copy is chosen without asking; several are
// offered in a menu at the click point, with "All places" when `offer_all`. Empty when dismissed.
std::vector<size_t> choose_places(HWND owner, float x, float y, const std::vector<CertificateCopy>& copies,
                                  bool offer_all);
