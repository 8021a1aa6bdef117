#include "gfx/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <map>
#include <string>

namespace {

void expect_rect(const RectF& r, float x, float y, float w, float h, const std::string& what)
{
    EXPECT_FLOAT_EQ(r.x, x) << what;
    EXPECT_FLOAT_EQ(r.y, y) << what;
    EXPECT_FLOAT_EQ(r.width, w) << what;
    EXPECT_FLOAT_EQ(r.height, h) << what;
}

// Every body text 70 px wide, every small text as listed: widths independent of fonts and language.
float fixed_measure(std::string_view text, TextStyle style)
{
    static const std::map<std::string, float> k_small{{"Recycle", 40}, {"Open folder", 60}, {"Copy", 30}};
    if (style == TextStyle::body) return 70;
    auto it = k_small.find(std::string(text));
    return it == k_small.end() ? 0 : it->second;
}

}  // namespace

TEST(ViewMetrics, DpiAndWidthGiveRoundedQuantities)
{
    struct Case {
        float width;
        uint32_t dpi;
        float header, content_width, content_left, row_height, gap, list_top;
    };
    const Case k_cases[] = {
        {1000, 96, 52, 952, 24, 96, 10, 152},     // narrower than 1008: 24 px margins
        {2000, 96, 52, 960, 520, 96, 10, 152},    // wide: a centred 960 column
        {1001, 96, 52, 953, 24, 96, 10, 152},     // margin (1001 - 953) / 2 = 24
        {1009, 96, 52, 960, 25, 96, 10, 152},     // (1009 - 960) / 2 = 24.5 rounds away from zero
        {1500, 144, 78, 1428, 36, 144, 15, 228},  // 150 %: 1512 needed for the full column
        {3000, 144, 78, 1440, 780, 144, 15, 228},
        {1000, 120, 65, 940, 30, 120, 13, 190},   // 12.5 rounds up, not to even
        {1000, 168, 91, 916, 42, 168, 18, 266},   // 17.5 rounds up
        {1000, 72, 52, 952, 24, 96, 10, 152},     // a DPI below 96 counts as 96
    };
    for (const Case& c : k_cases) {
        const ViewMetrics m = view_metrics(c.width, 700, c.dpi);
        const std::string what = "W " + std::to_string(c.width) + " dpi " + std::to_string(c.dpi);
        EXPECT_FLOAT_EQ(m.header_height, c.header) << what;
        EXPECT_FLOAT_EQ(m.content_width, c.content_width) << what;
        EXPECT_FLOAT_EQ(m.content_left, c.content_left) << what;
        EXPECT_FLOAT_EQ(m.row_height, c.row_height) << what;
        EXPECT_FLOAT_EQ(m.row_gap, c.gap) << what;
        EXPECT_FLOAT_EQ(m.list_top, c.list_top) << what;
    }
}

TEST(ViewMetrics, UnscrolledViewStacksAtOneHundredPercent)
{
    const ViewMetrics m = view_metrics(1000, 760, 96);
    expect_rect(header_rect(m), 0, 0, 1000, 52, "header");
    expect_rect(header_divider_rect(m), 0, 51, 1000, 1, "divider");
    expect_rect(program_name_rect(m), 18, 0, 200, 52, "name");
    const SummaryRects summary = summary_rects(m, 0);
    expect_rect(summary.headline, 24, 74, 952, 40, "headline");
    expect_rect(summary.second_line, 24, 116, 952, 26, "second line");
    expect_rect(summary.empty_hint, 24, 152, 952, 26, "empty hint");
    const float k_card_tops[] = {152, 258, 364, 470};
    for (size_t i = 0; i < std::size(k_card_tops); ++i) {
        expect_rect(card_rect(m, i, 0), 24, k_card_tops[i], 952, 96, "card " + std::to_string(i));
    }
    expect_rect(scanning_line_rect(m), 0, 360, 1000, 40, "scanning line");
}

TEST(LargestListScroll, EntriesAndHeightGiveRange)
{
    struct Case {
        size_t entries;
        float s;
        float client_height;
        float expected;
    };
    const Case k_cases[] = {
        {10, 1, 600, 630},     // 152 + 106 * 9 + 96 + 28 = 1230
        {0, 1, 0, 0},          // no cards: nothing to scroll, even in a window of height 0
        {1, 1, 760, 0},        // 276 fits
        {5, 1, 600, 100},      // 152 + 424 + 124 = 700
        {5, 1, 700, 0},        // exactly fits
        {3, 1.5f, 500, 232},   // 228 + 159 * 2 + 144 + 42 = 732
        {10, 1, -50, 1230},    // a negative height counts as 0
    };
    for (const Case& c : k_cases) {
        EXPECT_FLOAT_EQ(largest_list_scroll(c.entries, c.s, c.client_height), c.expected)
            << c.entries << " entries at s " << c.s << ", Hc " << c.client_height;
    }
}

TEST(ToolbarItems, ItemsArePlacedRightToLeft)
{
    struct Case {
        uint32_t dpi;
        float width;
        bool clean_up;
        // x of menu, refresh, add folder, clean-up; top; size
        std::vector<float> xs;
        float top;
        float bh;
        float text_w;
    };
    const Case k_cases[] = {
        {96, 1000, true, {954, 912, 806, 700}, 8, 36, 100},
        {96, 1000, false, {954, 912, 806}, 8, 36, 100},
        {144, 1000, false, {931, 868, 744}, 12, 54, 115},   // right edge 985, gaps of 9
        {108, 600, true, {547.75f, 500, 389.5f, 279}, 9, 41, 103.75f},  // H 59, bh 41: top 9
    };
    for (const Case& c : k_cases) {
        const ViewMetrics m = view_metrics(c.width, 700, c.dpi);
        ToolbarLabels labels{"Add folder", std::nullopt};
        if (c.clean_up) labels.clean_up = "Clean up expired (2)";
        const std::vector<ToolbarItem> items = toolbar_items(m, fixed_measure, labels);
        ASSERT_EQ(items.size(), c.xs.size()) << "dpi " << c.dpi;
        const HitKind k_kinds[] = {HitKind::Menu, HitKind::Refresh, HitKind::AddFolder, HitKind::CleanUp};
        for (size_t i = 0; i < items.size(); ++i) {
            const std::string what = "dpi " + std::to_string(c.dpi) + " item " + std::to_string(i);
            EXPECT_EQ(items[i].kind, k_kinds[i]) << what;
            expect_rect(items[i].rect, c.xs[i], c.top, i < 2 ? c.bh : c.text_w, c.bh, what);
        }
        EXPECT_TRUE(is_icon_label(items[0].label));
        EXPECT_TRUE(is_icon_label(items[1].label));
        EXPECT_EQ(items[2].label, "Add folder");
        if (c.clean_up) {
            EXPECT_EQ(items[3].label, "Clean up expired (2)");
        }
    }
}

TEST(IsIconLabel, PrivateUseFirstCharacterGivesIcon)
{
    const struct {
        const char* label;
        bool icon;
    } k_cases[] = {
        {"\xEE\x9C\x80", true},       // U+E700
        {"\xEE\x80\x80", true},       // U+E000, first of the range
        {"\xEF\xA3\xBF", true},       // U+F8FF, last of the range
        {"\xEF\xA4\x80", false},      // U+F900, just past it
        {"\xED\x9F\xBF", false},      // U+D7FF
        {"\xEE\x9C\x80 x", true},     // only the first character counts
        {"x\xEE\x9C\x80", false},
        {"Add folder", false},
        {"\xED\x8F\xB4\xEB\x8D\x94", false},  // Hangul "폴더"
        {"", false},
        {"\xEE\x9C", false},          // truncated sequence
    };
    for (const auto& c : k_cases) EXPECT_EQ(is_icon_label(c.label), c.icon) << c.label;
}

TEST(RowButtons, ButtonsSitAtCardBottomRight)
{
    const RowButtonLabels labels{"Recycle", "Open folder", "Copy"};
    struct Case {
        float s;
        RectF card;
        float xs[3];
        float widths[3];
        float y;
        float height;
    };
    const Case k_cases[] = {
        // recycle 40 + 24, open folder 60 + 24, copy 30 + 24; 6 apart, 14 from the right edge,
        // rows 54-84 of the card
        {1, {24, 152, 952, 96}, {898, 808, 748}, {64, 84, 54}, 206, 30},
        // at 150 %: b = 45, bottom margin 18, right margin 21, gap 9, padding 36
        {1.5f, {36, 228, 1428, 144}, {1367, 1262, 1187}, {76, 96, 66}, 309, 45},
        // a card scrolled partly under the header moves its buttons with it
        {1, {24, -20, 952, 96}, {898, 808, 748}, {64, 84, 54}, 34, 30},
    };
    for (const Case& c : k_cases) {
        const std::vector<RowButton> buttons = row_buttons(c.s, c.card, fixed_measure, labels);
        ASSERT_EQ(buttons.size(), 3u);
        const CardAction k_actions[] = {CardAction::Recycle, CardAction::OpenFolder, CardAction::Copy};
        const char* k_labels[] = {"Recycle", "Open folder", "Copy"};
        for (size_t i = 0; i < 3; ++i) {
            const std::string what = "s " + std::to_string(c.s) + " button " + std::to_string(i);
            EXPECT_EQ(buttons[i].action, k_actions[i]) << what;
            EXPECT_EQ(buttons[i].label, k_labels[i]) << what;
            expect_rect(buttons[i].rect, c.xs[i], c.y, c.widths[i], c.height, what);
        }
    }
}

TEST(ScanningDotCount, SecondsGiveOneToThreeDots)
{
    const struct {
        double t;
        int dots;
    } k_cases[] = {
        {0, 1},       {0.333, 1},  {0.334, 2},  {0.6666, 2}, {0.667, 3},
        {0.99, 3},    {1.0, 1},    {1.5, 2},    {2.34, 2},   {2.67, 3},   {3600.1, 1},
        {-0.1, 3},    {-0.5, 2},   {-1.0, 1},   // a clock step backwards still gives 1 to 3
        {std::numeric_limits<double>::quiet_NaN(), 1},
        {std::numeric_limits<double>::infinity(), 1},
        {1e300, 1},   // far beyond any integer: still a valid count
    };
    for (const auto& c : k_cases) {
        const int dots = scanning_dot_count(c.t);
        if (c.t == 1e300) {
            EXPECT_GE(dots, 1);
            EXPECT_LE(dots, 3);
        } else {
            EXPECT_EQ(dots, c.dots) << "t " << c.t;
        }
    }
}

TEST(NoticeRect, TextWidthGivesCentredPill)
{
    struct Case {
        float width;
        float height;
        uint32_t dpi;
        float text_width;
        float x, y, w, h;
    };
    const Case k_cases[] = {
        {1000, 760, 96, 200, 384, 696, 232, 38},
        {1001, 760, 96, 200, 385, 696, 232, 38},    // 384.5 rounds away from zero
        {200, 300, 96, 300, 16, 236, 168, 38},      // never wider than W - 32 s
        {1000, 760, 144, 200, 376, 664, 248, 57},
        {0, 0, 96, 0, 16, -64, -32, 38},            // a minimised window: geometry only, nothing visible
    };
    for (const Case& c : k_cases) {
        const RectF r = notice_rect(view_metrics(c.width, c.height, c.dpi), c.text_width);
        expect_rect(r, c.x, c.y, c.w, c.h, "W " + std::to_string(c.width));
    }
}

TEST(CardLayout, PartsSitWhereTheDesignPutsThem)
{
    // Offsets inside a card at 100 % and 150 %: icon tile 16-56, pill 14 from the top and right,
    // title at x 72, chip 15-35, second line 40-62, location 64-84 ending 30 before the buttons.
    struct Case {
        float s;
        RectF card;
        float title_width;
        float icon, pill_x, pill_y, pill_h, title_x, title_w, chip_x, chip_w, second_w, location_w;
    };
    const RowButtonLabels labels{"Recycle", "Open folder", "Copy"};
    const Case k_cases[] = {
        // pill: 40 + 20 wide at 952 - 14 - 60 = 878; chip after a 120 px title; buttons start at 748
        {1, {24, 152, 952, 96}, 120, 16, 24 + 878, 14, 24, 96, 122, 96 + 120 + 10, 50 + 16, 878 - 72 - 12,
         748 - 96 - 30},
        // a long name leaves 100 s before the pill: 902 - 96 - 100 = 706
        {1, {24, 152, 952, 96}, 5000, 16, 24 + 878, 14, 24, 96, 708, 96 + 706 + 10, 50 + 16, 878 - 72 - 12,
         748 - 96 - 30},
        // 150 %: buttons from row_buttons at 1.5
        {1.5f, {36, 228, 1428, 144}, 120, 24, 36 + 1428 - 21 - 70, 21, 36, 36 + 108, 122, 36 + 108 + 120 + 15,
         50 + 24, 1428 - 21 - 70 - 108 - 18, 1187 - 144 - 45},
    };
    for (const Case& c : k_cases) {
        const std::vector<RowButton> buttons = row_buttons(c.s, c.card, fixed_measure, labels);
        const CardLayout l = card_layout(c.s, c.card, {40, c.title_width, 50, std::nullopt}, buttons);
        const std::string what = "s " + std::to_string(c.s) + " title " + std::to_string(c.title_width);
        const float x0 = c.card.x, y = c.card.y, s = c.s;
        expect_rect(l.icon_tile, x0 + c.icon, y + c.icon, 40 * s, 40 * s, what + " icon");
        expect_rect(l.pill, c.pill_x, y + c.pill_y, 40 + 20 * s, c.pill_h, what + " pill");
        expect_rect(l.title, c.title_x, y + 12 * s, c.title_w, 26 * s, what + " title");
        ASSERT_TRUE(l.chip) << what;
        expect_rect(*l.chip, c.chip_x, y + 15 * s, c.chip_w, 20 * s, what + " chip");
        expect_rect(l.second_line, c.title_x, y + 40 * s, c.second_w, 22 * s, what + " second line");
        expect_rect(l.location_text, c.title_x + 18 * s, y + 64 * s, c.location_w, 20 * s, what + " location");
        expect_rect(l.location_glyph, c.title_x - 2 * s, y + 64 * s, 16 * s, 20 * s, what + " glyph");
    }
    // No chip for a certificate that states no holder kind; a width that is not a number gives the room left.
    const RectF card{24, 152, 952, 96};
    const CardLayout odd = card_layout(1, card, {40, std::nanf(""), std::nullopt, std::nullopt},
                                       row_buttons(1, card, fixed_measure, labels));
    EXPECT_FALSE(odd.chip);
    EXPECT_FALSE(odd.trust_badge);
    EXPECT_FLOAT_EQ(odd.title.width, 706 + 2);

    // The issuer check's badge follows the chip (or the title); a long name is cut so that both end
    // 24 px before the pill at 902.
    struct BadgeCase {
        float title_width;
        std::optional<float> chip;
        float title_w, badge_x;
    };
    const BadgeCase k_badges[] = {
        {120, 50, 122, 96 + 120 + 10 + 66 + 6},
        {5000, 50, 614 + 2, 902 - 24 - 86},  // 76 for the chip, 92 for the badge, 24 before the pill
        {5000, std::nullopt, 686 + 2, 902 - 24 - 86},
    };
    for (const BadgeCase& c : k_badges) {
        const CardLayout l = card_layout(1, card, {40, c.title_width, c.chip, 70}, row_buttons(1, card, fixed_measure, labels));
        ASSERT_TRUE(l.trust_badge);
        EXPECT_FLOAT_EQ(l.title.width, c.title_w) << c.title_width;
        expect_rect(*l.trust_badge, c.badge_x, 152 + 15, 86, 20, "trust badge");
    }
}

TEST(VisibleCards, RangeMatchesTheCardByCardTest)
{
    // Against the plain test every card would otherwise get, over sizes, scales and scroll offsets.
    for (const uint32_t dpi : {96u, 144u, 120u}) {
        for (const float height : {0.0f, 52.0f, 600.0f, 1000.0f}) {
            const ViewMetrics m = view_metrics(1000, height, dpi);
            for (const size_t count : {size_t{0}, size_t{1}, size_t{10}, size_t{10000}}) {
                for (const float scroll : {0.0f, 1.0f, 99.5f, 630.0f, 5000.25f, 1.0e6f, 2.0e7f}) {
                    size_t first = count, last = 0;
                    for (size_t i = 0; i < count; ++i) {
                        const float y = row_top(m, i, scroll);
                        if (m.header_height > y + m.row_height || y > m.height) continue;
                        first = std::min(first, i);
                        last = i + 1;
                    }
                    if (first == count) first = last = 0;
                    const CardRange range = visible_cards(m, count, scroll);
                    const size_t got_first = range.first == range.last ? 0 : range.first;
                    EXPECT_EQ(got_first, first) << dpi << " " << height << " " << count << " " << scroll;
                    EXPECT_EQ(range.last - range.first, last - first) << dpi << " " << height << " " << count << " " << scroll;
                }
            }
        }
    }
}

TEST(DetailLayout, PanelRowsAndButtonsFollowTheClientSize)
{
    struct Case {
        float width, height;
        uint32_t dpi;
        size_t rows;
        float pw, px, ph, py, viewport_h, largest, label_w;
    };
    const Case k_cases[] = {
        {1000, 760, 96, 14, 780, 110, 572, 94, 448, 0, 190},    // everything fits
        {700, 500, 96, 14, 660, 20, 460, 20, 336, 112, 171.6f},  // cut to Hc - 40: 448 - 336 to scroll
        {460, 300, 96, 16, 420, 20, 260, 20, 136, 376, 110},     // narrow: the label column's floor
        {1000, 760, 144, 14, 940, 30, 700, 30, 514, 158, 0.26f * 940},  // 150 %: the 40 s margins
        {1000, 760, 96, 0, 780, 110, 124, 318, 0, 0, 190},       // an index out of range: no rows
    };
    for (const Case& c : k_cases) {
        const ViewMetrics m = view_metrics(c.width, c.height, c.dpi);
        const DetailLayout l = detail_layout(m, c.rows, 0, 56);
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " dpi " + std::to_string(c.dpi);
        const float s = m.s;
        expect_rect(l.panel, c.px, c.py, c.pw, c.ph, what + " panel");
        expect_rect(l.viewport, c.px, c.py + std::round(64 * s), c.pw, c.viewport_h, what + " viewport");
        expect_rect(l.close_button, c.px + c.pw - 48 * s, c.py + 14 * s, 36 * s, 36 * s, what + " close");
        expect_rect(l.copy_all_button, c.px + c.pw - (56 + 32 * s) - 16 * s, c.py + c.ph - 48 * s, 56 + 32 * s, 36 * s,
                    what + " copy all");
        EXPECT_FLOAT_EQ(l.label_width, c.label_w) << what;
        EXPECT_FLOAT_EQ(largest_detail_scroll(m, l), c.largest) << what;
        ASSERT_EQ(l.rows.size(), c.rows) << what;
        for (size_t i = 0; i < c.rows; ++i)
            expect_rect(l.rows[i], c.px + 12 * s, l.viewport.y + std::round(32 * s) * i, c.pw - 24 * s, std::round(32 * s),
                        what + " row " + std::to_string(i));
    }
    // Scrolling moves the rows, not the panel; rows reaching a pixel or less into the viewport are not drawn.
    const DetailLayout scrolled = detail_layout(view_metrics(700, 500, 96), 14, 112, 56);
    EXPECT_FLOAT_EQ(scrolled.rows[0].y, 84 - 112);
    EXPECT_FALSE(detail_row_visible(scrolled, 0));  // 84 - 112 + 32 = 4: wholly above
    EXPECT_TRUE(detail_row_visible(scrolled, 3));   // 84 - 112 + 96 = 68 to 100: reaches 16 px in
    EXPECT_FALSE(detail_row_visible(scrolled, 14));
    const DetailLayout edge = detail_layout(view_metrics(700, 500, 96), 14, 31, 56);
    EXPECT_FALSE(detail_row_visible(edge, 0));  // its bottom is one pixel inside: not drawn
    EXPECT_TRUE(detail_row_visible(edge, 1));
}

TEST(Layout, SearchFieldFitsBetweenTheNameAndTheToolbar)
{
    const struct {
        float width;
        uint32_t dpi;
        float name_right;
        float toolbar_left;
        float field_x;
        float field_width;
    } k_cases[] = {
        {1000, 96, 80, 640, 348, 280},    // room to spare: 280 s, against the toolbar
        {1000, 96, 80, 300, 96, 192},     // as much as fits
        {1000, 96, 80, 220, 88, 120},     // at least 120 s while the name stays clear
        {1000, 96, 80, 180, 84, 84},      // narrower only where 120 s would reach the name
        {1500, 144, 120, 960, 522, 420},  // 280 s at 150 %
        {1500, 144, 120, 400, 144, 238},  // as much as fits at 150 %
        {1500, 144, 120, 330, 132, 180},  // 120 s at 150 %
    };
    for (const auto& c : k_cases) {
        const ViewMetrics m = view_metrics(c.width, 700, c.dpi);
        const SearchFieldLayout f = search_field_layout(m, c.name_right, c.toolbar_left);
        EXPECT_FLOAT_EQ(f.frame.x, c.field_x) << c.toolbar_left;
        EXPECT_FLOAT_EQ(f.frame.width, c.field_width) << c.toolbar_left;
        EXPECT_FLOAT_EQ(f.frame.height, std::round(32 * m.s));
        EXPECT_FLOAT_EQ(f.frame.y, std::round((m.header_height - f.frame.height) / 2));
        // The clear button is the frame's right square; the edit control fills the rest inside.
        EXPECT_FLOAT_EQ(f.clear.x + f.clear.width, f.frame.x + f.frame.width);
        EXPECT_LE(f.edit.x + f.edit.width, f.clear.x);
        EXPECT_GT(f.edit.x, f.frame.x);
    }
    const SearchFieldLayout nan = search_field_layout(view_metrics(800, 600, 96), NAN, NAN);
    EXPECT_FALSE(std::isnan(nan.frame.width));
}
