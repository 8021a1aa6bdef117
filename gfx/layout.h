#pragma once

// Geometry of the main view, kept free of Direct2D so that painting and hit-testing share the very
// same numbers and tests need no window. All values are physical pixels; every design size is
// multiplied by the window's scale s = dpi / 96.

#include "gfx/hit_target.h"
#include "gfx/text_style.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;

    // Half-open: the right and bottom edges belong to the neighbour.
    bool contains(float px, float py) const
    {
        return x <= px && px < x + width && y <= py && py < y + height;
    }
};

// Rounds half away from zero (2.5 -> 3, -2.5 -> -3); NaN stays NaN.
float round_half_away(float v);

// The design scale of a DPI, never below 1.
float scale_of_dpi(uint32_t dpi);

struct ViewMetrics {
    float s = 1;               // the scale, dpi / 96
    float width = 0;           // the client area's width
    float height = 0;          // the client area's height
    float header_height = 0;   // the header bar, 52 s rounded
    float content_width = 0;   // the card column: 960 s, or the client width less 24 s margins
    float content_left = 0;    // where the card column starts, centred
    float row_height = 0;      // one card, 96 s rounded
    float row_gap = 0;         // between two cards, 10 s rounded
    float list_top = 0;        // the first card's top before scrolling (not rounded)
};

// Client width and height are clamped at 0 first.
ViewMetrics view_metrics(float width, float height, uint32_t dpi);

// The header bar, its one-pixel divider (its own last row) and the program name.
RectF header_rect(const ViewMetrics& m);
RectF header_divider_rect(const ViewMetrics& m);
RectF program_name_rect(const ViewMetrics& m);

// The search field in the header, between the program's name and the toolbar: its frame (drawn
// here), the edit control inside it and the clear button at its right end. As wide as fits between
// the two, at most 280 s and at least 120 s; narrower only where even 120 s would reach the name.
struct SearchFieldLayout {
    RectF frame;
    RectF edit;
    RectF clear;
};
SearchFieldLayout search_field_layout(const ViewMetrics& m, float name_right, float toolbar_left);

// "Looking for certificates…", centred across the window's middle.
RectF scanning_line_rect(const ViewMetrics& m);

// The summary scrolls with the list.
struct SummaryRects {
    RectF headline;
    RectF second_line;
    RectF empty_hint;
};
SummaryRects summary_rects(const ViewMetrics& m, float list_scroll);

// Top of card i after scrolling.
float row_top(const ViewMetrics& m, size_t index, float list_scroll);

// The rectangle of card i.
RectF card_rect(const ViewMetrics& m, size_t index, float list_scroll);

// The cards that reach into the area between the header and the bottom edge, [first, last): only
// these are built, drawn and hit-tested, so a list of thousands costs what a screenful costs. A card
// partly under the header counts (it shows and answers the pointer in its visible part).
struct CardRange {
    size_t first = 0;
    size_t last = 0;
};
CardRange visible_cards(const ViewMetrics& m, size_t count, float list_scroll);

// How far the list can scroll for n cards in a client area of the given height: the last card stops
// 28 s above the bottom edge; never negative.
float largest_list_scroll(size_t entry_count, float s, float client_height);

// Text width in pixels for a style; 0 when the text cannot be laid out.
using MeasureText = std::function<float(std::string_view text, TextStyle style)>;

// A toolbar button; its kind is the hit-target kind of the button (menu, refresh, add folder, clean up).
struct ToolbarItem {
    HitKind kind = HitKind::None;
    RectF rect;
    std::string label;  // one glyph or a display text
};

struct ToolbarLabels {
    std::string add_folder;
    std::optional<std::string> clean_up;  // present only while expired certificates exist
};

// The toolbar items, right to left: menu, refresh, add folder, then clean-up when it has a label.
std::vector<ToolbarItem> toolbar_items(const ViewMetrics& m, const MeasureText& measure,
                                       const ToolbarLabels& labels);

// True when a label is an icon glyph (its first character in the private use area U+E000-U+F8FF).
bool is_icon_label(std::string_view label);

struct RowButton {
    RectF rect;
    CardAction action = CardAction::Copy;
    std::string label;
};

struct RowButtonLabels {
    std::string recycle;
    std::string open_folder;
    std::string copy;
};

// The three buttons of a card at its bottom right, right to left: recycle, open folder, copy.
std::vector<RowButton> row_buttons(float s, const RectF& card, const MeasureText& measure,
                                   const RowButtonLabels& labels);

// The parts of one card, from its rectangle, its buttons and the widths of its measured texts.
struct CardTextWidths {
    float badge = 0;                   // the status pill's text, small style
    float title = 0;                   // the holder's name, strong style
    std::optional<float> chip;         // the Personal/Business label, small style; none without one
    std::optional<float> trust_badge;  // the issuer check's short text, small style; none for Licensed
};
struct CardLayout {
    RectF icon_tile;
    RectF pill;
    RectF title;                       // cut with "…" so that at least 100 s, and room for the chip and
                                       // the trust badge and 24 s more, stay before the pill
    std::optional<RectF> chip;
    std::optional<RectF> trust_badge;  // after the chip (or the title without one)
    RectF second_line;                 // issuer · purpose · until
    RectF location_glyph;
    RectF location_text;               // ends 30 s before the leftmost button
};
CardLayout card_layout(float s, const RectF& card, const CardTextWidths& widths, const std::vector<RowButton>& buttons);

// The detail pane over the list: a panel in the middle of the window, a title area on top, the rows
// in a viewport, a footer with the hint and "Copy all".
struct DetailLayout {
    std::vector<RectF> rows;           // one per detail row, after scrolling
    RectF panel;
    RectF close_button;
    RectF copy_all_button;
    RectF viewport;
    float label_width = 0;             // the label column inside a row
};
// `copy_all_width` is the width of the "Copy all" label in the body style.
DetailLayout detail_layout(const ViewMetrics& m, size_t row_count, float detail_scroll, float copy_all_width);
// How far the rows can scroll in the viewport; never negative.
float largest_detail_scroll(const ViewMetrics& m, const DetailLayout& layout);
// Whether row i is drawn: any part of it more than a pixel inside the viewport.
bool detail_row_visible(const DetailLayout& layout, size_t row);

// Number of dots after "Looking for certificates": 1, 2, 3, one step every third of a second.
int scanning_dot_count(double seconds_since_start);

// The status notice's pill for a text of the given width.
RectF notice_rect(const ViewMetrics& m, float text_width);
