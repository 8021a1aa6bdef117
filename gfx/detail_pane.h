#pragma once

// The detail pane: every fact about one certificate as label/value rows over the dimmed list. A click
// on a row copies its value; "Copy all" copies every row. It is open exactly when `selection` holds
// an index of `entries`.

#include "gfx/layout.h"
#include "gfx/view_state.h"
#include "gfx/view_text.h"

#include <cstddef>
#include <optional>
#include <vector>

// The rows of entry `index`; empty when there are no entries or the index is out of range.
std::vector<DetailRow> detail_rows(const ViewState& state, size_t index);
// The pane's layout, present when `selection` is set and the drawing resources exist. An index out of
// range lays out no rows.
std::optional<DetailLayout> detail_layout(const ViewState& state);
// How far the pane's rows can scroll; 0 without a layout.
float largest_detail_scroll(const ViewState& state);

// The pane's scroll bar, when its rows do not fit; from its layout when the caller has it already.
std::optional<ScrollBarGeometry> detail_scroll_bar(const ViewState& state, const DetailLayout& layout);
std::optional<ScrollBarGeometry> detail_scroll_bar(const ViewState& state);

// The bar the pointer can use: the pane's while it is open, else the list's.
struct ShownScrollBar {
    ScrollArea area = ScrollArea::List;
    ScrollBarGeometry geometry;
};
std::optional<ShownScrollBar> shown_scroll_bar(const ViewState& state);

// Called after the main view, when the pane is open.
void draw_detail_pane(ViewState& state);
