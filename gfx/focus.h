#pragma once

// Keyboard focus over the custom-drawn window, as plain values: which elements take the focus and in
// which order, where Tab, Shift+Tab, Up and Down move it, and how it survives a new scan result. The
// focus is a HitTarget, so that a key activates its element with the very command a click on it runs.
//
// Order, left to right and top to bottom as the eye reads the window:
//   list shown:  [Clean up expired], Add folder, Refresh, Menu, then for each card: the card, its Copy,
//                Open folder and Recycle buttons;
//   pane open:   the rows (one stop, entered on the first row, as a list is), Copy all, Close.
// Tab and Shift+Tab wrap around at either end.

#include "gfx/hit_target.h"
#include "npki/inventory.h"
#include "npki/search.h"

#include <cstddef>
#include <optional>
#include <vector>

// What the window shows, as far as focus and the accessibility tree care: counts and flags only.
struct ViewShape {
    bool listed = false;         // a scan result is shown (the list, possibly empty)
    size_t card_count = 0;
    bool clean_up = false;       // the toolbar shows "Clean up expired (n)"
    std::optional<size_t> pane;  // the entry whose detail pane is open
    size_t row_count = 0;        // rows of the open pane
    bool notice = false;         // a status notice is shown

    size_t listed_cards() const { return listed ? card_count : 0; }
};

// The toolbar's items that are shown, left to right.
std::vector<HitKind> toolbar_left_to_right(const ViewShape& shape);

// Whether the target is an element that can hold the focus in this shape.
bool focusable(const ViewShape& shape, const HitTarget& target);

// Every focusable element in Tab order (the rows of the pane stand for themselves here: all of them).
std::vector<HitTarget> focus_order(const ViewShape& shape);

// Tab (forward) and Shift+Tab: the next stop after `current`, wrapping. Without a current focus (or
// one that no longer exists) Tab starts at the first stop and Shift+Tab at the last. None only when
// nothing can take the focus.
std::optional<HitTarget> next_focus(const ViewShape& shape, const HitTarget& current, bool backwards);

// With a search field first in the Tab order (a window of its own, ahead of these stops): whether Tab
// (or Shift+Tab) from `current` goes to the field instead of the next stop. Tab does from the last
// stop and without a current focus, Shift+Tab from the first stop; never while the pane is open, whose
// stops keep to themselves.
bool tab_goes_to_search_field(const ViewShape& shape, const HitTarget& current, bool backwards);

// Up and Down: from a card or one of its buttons to the previous or next card, from a pane row to the
// previous or next row, stopping at the ends. None when the focus is anywhere else: then these keys
// scroll as they always did.
std::optional<HitTarget> vertical_focus(const ViewShape& shape, const HitTarget& current, bool down);

// The one rule for Up and Down: they move the focus only while the focus ring is shown (a key moved
// the focus since the mouse was last used) and the focus is on a card, a card's button or a pane row.
// Otherwise they scroll the list or the pane by their usual amounts, so a mouse user's keys are
// exactly what they were.
bool arrows_move_focus(const ViewShape& shape, const HitTarget& focus, bool cues_shown);

// The scroll offset that brings [top, bottom) into [view_top, view_bottom) with the least movement
// (the top wins when the element is taller than the view), kept in [0, largest]. `top` and `bottom`
// are where the element is at `scroll`.
float scroll_to_show(float top, float bottom, float view_top, float view_bottom, float scroll, float largest);

// Where the focus goes when a scan result replaces the list. A card (or its button) keeps the focus
// on the same certificate (issuer_dn and serial_hex byte for byte) at its new index; a card that has
// gone hands it to the card now at its place (or the last one), and with no cards left to "Add
// folder". In a pane still open a row keeps its index within the new row count; a pane that closed
// because its certificate went hands the focus to the card at its place. "Clean up expired" that is
// no longer shown hands it to "Add folder". `selection` is the pane's entry before the result.
HitTarget focus_after_scan(const HitTarget& focus, std::optional<size_t> selection,
                           std::optional<ListedEntries> old_entries, ListedEntries new_entries, const ViewShape& new_shape);
