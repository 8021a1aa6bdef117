#pragma once

// Turns a pointer position into what it is over, from the same rectangles the views draw.

#include "gfx/view_state.h"
#include "gfx/layout.h"

#include <cstddef>
#include <functional>
#include <vector>

// Client coordinates in pixels.
HitTarget hit_test(const ViewState& state, float x, float y);

// While the detail pane is open nothing of the main view answers the pointer: its close and
// "Copy all" buttons, a row inside the viewport, the rest of the panel, or outside it.
HitTarget hit_test_pane(const DetailLayout& pane, float x, float y);

// The card under a point below the header, and the button of it under the point.
using ButtonsOfCard = std::function<std::vector<RowButton>(const RectF& card)>;
HitTarget hit_test_cards(const ViewMetrics& m, size_t count, float list_scroll, float x, float y,
                         const ButtonsOfCard& buttons_of);

// The toolbar part: items right to left, the first containing the point wins; none when none does.
HitTarget hit_test_toolbar(const std::vector<ToolbarItem>& items, float x, float y);

// True when the two targets look alike on screen, so moving the hover between them needs no repaint:
// the kinds match and, for cards and detail rows, the index; for card buttons also the action.
bool same_hover(const HitTarget& before, const HitTarget& after);
