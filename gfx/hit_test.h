#pragma once

// Turns a pointer position into what it is over, from the same rectangles the views draw.

#include "gfx/view_state.h"
#include "gfx/layout.h"

#include <vector>

// Client coordinates in pixels.
HitTarget hit_test(const ViewState& state, float x, float y);

// The toolbar part: items right to left, the first containing the point wins; kind 0 when none does.
HitTarget hit_test_toolbar(const std::vector<ToolbarItem>& items, float x, float y);

// True when the two targets look alike on screen, so moving the hover between them needs no repaint:
// the kinds match and, for cards and detail rows, the index; for card buttons also the action.
bool same_hover(const HitTarget& before, const HitTarget& after);
