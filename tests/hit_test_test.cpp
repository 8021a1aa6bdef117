#include "gfx/hit_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// 1000 px window at 100 %, every body text 70 px: menu 954-990, refresh 912-948, add folder 806-906,
// clean-up 700-800, all from y 8 to 44.
std::vector<ToolbarItem> sample_toolbar(bool clean_up)
{
    ToolbarLabels labels{"Add folder", std::nullopt};
    if (clean_up) labels.clean_up = "Clean up expired (1)";
    return toolbar_items(view_metrics(1000, 760, 96), [](std::string_view, TextStyle) { return 70.0f; }, labels);
}

}  // namespace

TEST(HitTestToolbar, PointGivesItemKindOrNone)
{
    const struct {
        float x, y;
        bool clean_up;
        uint8_t kind;
    } k_cases[] = {
        {972, 26, true, 1},     // menu centre
        {930, 26, true, 2},     // refresh centre
        {856, 26, true, 3},     // add folder
        {750, 26, true, 4},     // clean-up
        {750, 26, false, 0},    // no clean-up item while nothing has expired
        {954, 8, true, 1},      // top-left corner is inside
        {990, 26, true, 0},     // right edge belongs outside
        {972, 44, true, 0},     // bottom edge belongs outside
        {951, 26, true, 0},     // the 6 px gap between refresh and menu
        {906, 26, true, 0},     // add folder's right edge, inside the gap
        {800, 26, true, 0},
        {20, 26, true, 0},      // the program name is not a button
        {972, 300, true, 0},    // below the header
        {972, -1, true, 0},
    };
    for (const auto& c : k_cases) {
        const HitTarget hit = hit_test_toolbar(sample_toolbar(c.clean_up), c.x, c.y);
        EXPECT_EQ(hit.kind, c.kind) << c.x << "," << c.y;
        EXPECT_EQ(hit.action, 0);
        EXPECT_EQ(hit.index, 0u);
    }
}

TEST(HitTestToolbar, OverlappingItemsGiveRightmost)
{
    // A window so narrow that items overlap: the scan runs right to left and the first match wins.
    std::vector<ToolbarItem> items = {
        {1, {50, 0, 40, 40}, "m"},
        {3, {30, 0, 40, 40}, "Add folder"},
    };
    EXPECT_EQ(hit_test_toolbar(items, 60, 10).kind, 1);
    EXPECT_EQ(hit_test_toolbar(items, 40, 10).kind, 3);
}

TEST(SameHover, TargetsGiveRepaintOnlyWhenTheyLookDifferent)
{
    const struct {
        HitTarget before, after;
        bool same;
    } k_cases[] = {
        {{0, 0, 0}, {0, 0, 0}, true},
        {{0, 0, 0}, {1, 0, 0}, false},
        {{1, 0, 0}, {2, 0, 0}, false},
        {{3, 0, 0}, {3, 0, 0}, true},
        {{5, 0, 1}, {5, 0, 1}, true},
        {{5, 0, 1}, {5, 0, 2}, false},   // another card
        {{5, 0, 1}, {5, 2, 1}, true},    // action means nothing for a card
        {{5, 0, 1}, {6, 0, 1}, false},   // card to its button
        {{6, 2, 1}, {6, 2, 1}, true},    // moving within the same button
        {{6, 2, 1}, {6, 1, 1}, false},   // recycle to open folder on the same card
        {{6, 2, 1}, {6, 2, 4}, false},   // the same button on another card
        {{7, 0, 3}, {7, 0, 4}, false},   // another detail row
        {{7, 0, 3}, {7, 0, 3}, true},
        {{9, 0, 0}, {9, 0, 7}, true},    // index means nothing for other kinds
        {{10, 0, 0}, {11, 0, 0}, false},
        {{4, 1, 0}, {4, 0, 0}, true},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(same_hover(c.before, c.after), c.same)
            << int(c.before.kind) << "/" << int(c.before.action) << "/" << c.before.index << " -> "
            << int(c.after.kind) << "/" << int(c.after.action) << "/" << c.after.index;
    }
}
