#pragma once

// The window's elements (gfx/ui_tree.h) and keyboard focus (gfx/focus.h) read off the live view
// state: its shape, each element's name in the program's language and its rectangle, which is the
// very rectangle the hit test uses.

#include "gfx/focus.h"
#include "gfx/layout.h"
#include "gfx/ui_tree.h"
#include "gfx/view_state.h"

#include <cstdint>
#include <optional>
#include <string>

ViewShape view_shape(const ViewState& state);

// In client pixels; none when the element does not exist in `shape` (the state's own, from
// view_shape). The window's is its client area.
std::optional<RectF> element_rect(const ViewState& state, const ViewShape& shape, const ElementKey& key);
std::optional<RectF> target_rect(const ViewState& state, const HitTarget& target);
// Scrolled out of sight: a card wholly under the header or below the window, a row outside the pane's
// viewport.
bool element_offscreen(const ViewState& state, const ViewShape& shape, const ElementKey& key);

// `now` decides the status texts of cards and rows and the clean-up count.
std::string element_name(const ViewState& state, const ViewShape& shape, const ElementKey& key, int64_t now);

// The list and pane offsets that bring the focused card or row into view; the others unchanged.
struct ScrollOffsets {
    float list = 0;
    float detail = 0;
};
ScrollOffsets scroll_showing(const ViewState& state, const HitTarget& focus);
