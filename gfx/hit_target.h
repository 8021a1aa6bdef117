#pragma once

// What the pointer is over, as the hit test reports it and the hover keeps it. Pure values, shared by
// the layout, the views and the click handler.

#include <cstdint>

// What lies under a point of the window.
enum class HitKind : uint8_t {
    None,        // nothing below
    Menu,        // the toolbar's menu glyph
    Refresh,     // the toolbar's refresh glyph
    AddFolder,   // the toolbar's "Add folder" button
    CleanUp,     // the toolbar's "Clean up expired (n)" button
    Card,        // a certificate card outside its buttons
    CardButton,  // one of a card's three buttons
    DetailRow,   // a row of the open detail pane
    CopyAll,     // the detail pane's "Copy all" button
    Close,       // the detail pane's close button
    Outside,     // anywhere outside the detail pane while it is open
    Pane,        // inside the detail pane but on no row or button
    ClearSearch, // the search field's clear button
    ScrollBar,   // the scroll bar of the list, or of the detail pane while it is open
};

// The three buttons of a card.
enum class CardAction : uint8_t { Copy, OpenFolder, Recycle };
// A card's buttons as the eye and the Tab key meet them (drawn right to left: Recycle is rightmost).
inline constexpr CardAction k_card_buttons_left_to_right[] = {CardAction::Copy, CardAction::OpenFolder,
                                                            CardAction::Recycle};

struct HitTarget {
    HitKind kind = HitKind::None;
    CardAction action = CardAction::Copy;  // for a card button only
    uint64_t index = 0;                    // the entry for cards and card buttons, the row for detail rows
    bool operator==(const HitTarget&) const = default;
};
