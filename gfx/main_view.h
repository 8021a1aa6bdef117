#pragma once

// The main view: header, toolbar, summary, scanning and empty states, and the status notice. The
// geometry comes from gfx/layout.h; this file feeds it the window's size, DPI and text widths.

#include "gfx/view_state.h"
#include "gfx/layout.h"
#include "gfx/palette.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>

#include <vector>

// The layout quantities for the window's current client size and DPI.
ViewMetrics view_metrics_of(const ViewState& state);
// Text widths through DirectWrite; every text measures 0 without drawing resources.
MeasureText measurer_of(const ViewState& state);

// Entries that have ended now; the toolbar offers "Clean up expired" while there are any.
size_t expired_count(const ViewState& state);
// "Certificates: 3", or "Certificates: 1 of 3" while a search narrows the list; empty before a scan result.
std::string headline_of(const ViewState& state);
// Right to left; the clean-up item only while some entry has expired.
std::vector<ToolbarItem> toolbar_items(const ViewState& state);
// A card button's label, in the program's language.
std::string row_button_label(CardAction action);
// The three buttons of a card, right to left.
std::vector<RowButton> row_buttons(const ViewState& state, const RectF& card);
// The search field's place in the header for the current window, toolbar and language.
SearchFieldLayout search_field_layout(const ViewMetrics& m, const MeasureText& measure,
                                     const std::vector<ToolbarItem>& items);
SearchFieldLayout search_field_layout(const ViewState& state);
// The list's scroll range for the current entries and client height; the window clamps to it.
float largest_list_scroll(const ViewState& state);

// The list's scroll bar, when the cards do not fit. The list scrolls under the header, so the whole
// client height is in view, while the bar's track starts below the header.
std::optional<ScrollBarGeometry> list_scroll_bar(const ViewState& state);
// A scroll bar's thumb, wide while the pointer is on the bar of that area or drags its thumb.
void draw_scroll_bar(const ViewState& state, const Palette& palette, const ScrollBarGeometry& bar, ScrollArea area);

void draw_main_view(ViewState& state);
// The keyboard focus ring in `accent`, when the focus is on one of `kinds` and the ring is shown.
void draw_focus_ring(const ViewState& state, const Palette& palette, std::initializer_list<HitKind> kinds);
// The ring around one rectangle, at the window's scale.
void draw_focus_ring(const ViewState& state, const Palette& palette, const RectF& rect);
// Drawn last in a frame, over everything else.
void draw_notice(ViewState& state);
