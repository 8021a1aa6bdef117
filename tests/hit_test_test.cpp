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
        HitKind kind;
    } k_cases[] = {
        {972, 26, true, HitKind::Menu},     // menu centre
        {930, 26, true, HitKind::Refresh},     // refresh centre
        {856, 26, true, HitKind::AddFolder},     // add folder
        {750, 26, true, HitKind::CleanUp},     // clean-up
        {750, 26, false, HitKind::None},    // no clean-up item while nothing has expired
        {954, 8, true, HitKind::Menu},      // top-left corner is inside
        {990, 26, true, HitKind::None},     // right edge belongs outside
        {972, 44, true, HitKind::None},     // bottom edge belongs outside
        {951, 26, true, HitKind::None},     // the 6 px gap between refresh and menu
        {906, 26, true, HitKind::None},     // add folder's right edge, inside the gap
        {800, 26, true, HitKind::None},
        {20, 26, true, HitKind::None},      // the program name is not a button
        {972, 300, true, HitKind::None},    // below the header
        {972, -1, true, HitKind::None},
    };
    for (const auto& c : k_cases) {
        const HitTarget hit = hit_test_toolbar(sample_toolbar(c.clean_up), c.x, c.y);
        EXPECT_EQ(hit.kind, c.kind) << c.x << "," << c.y;
        EXPECT_EQ(hit.action, CardAction::Copy);
        EXPECT_EQ(hit.index, 0u);
    }
}

TEST(HitTestToolbar, OverlappingItemsGiveRightmost)
{
    // A window so narrow that items overlap: the scan runs right to left and the first match wins.
    std::vector<ToolbarItem> items = {
        {HitKind::Menu, {50, 0, 40, 40}, "m"},
        {HitKind::AddFolder, {30, 0, 40, 40}, "Add folder"},
    };
    EXPECT_EQ(hit_test_toolbar(items, 60, 10).kind, HitKind::Menu);
    EXPECT_EQ(hit_test_toolbar(items, 40, 10).kind, HitKind::AddFolder);
}

TEST(SameHover, TargetsGiveRepaintOnlyWhenTheyLookDifferent)
{
    const struct {
        HitTarget before, after;
        bool same;
    } k_cases[] = {
        {{HitKind::None, CardAction::Copy, 0}, {HitKind::None, CardAction::Copy, 0}, true},
        {{HitKind::None, CardAction::Copy, 0}, {HitKind::Menu, CardAction::Copy, 0}, false},
        {{HitKind::Menu, CardAction::Copy, 0}, {HitKind::Refresh, CardAction::Copy, 0}, false},
        {{HitKind::AddFolder, CardAction::Copy, 0}, {HitKind::AddFolder, CardAction::Copy, 0}, true},
        {{HitKind::Card, CardAction::Copy, 1}, {HitKind::Card, CardAction::Copy, 1}, true},
        {{HitKind::Card, CardAction::Copy, 1}, {HitKind::Card, CardAction::Copy, 2}, false},   // another card
        {{HitKind::Card, CardAction::Copy, 1}, {HitKind::Card, CardAction::Recycle, 1}, true},    // action means nothing for a card
        {{HitKind::Card, CardAction::Copy, 1}, {HitKind::CardButton, CardAction::Copy, 1}, false},   // card to its button
        {{HitKind::CardButton, CardAction::Recycle, 1}, {HitKind::CardButton, CardAction::Recycle, 1}, true},    // moving within the same button
        {{HitKind::CardButton, CardAction::Recycle, 1}, {HitKind::CardButton, CardAction::OpenFolder, 1}, false},   // recycle to open folder on the same card
        {{HitKind::CardButton, CardAction::Recycle, 1}, {HitKind::CardButton, CardAction::Recycle, 4}, false},   // the same button on another card
        {{HitKind::DetailRow, CardAction::Copy, 3}, {HitKind::DetailRow, CardAction::Copy, 4}, false},   // another detail row
        {{HitKind::DetailRow, CardAction::Copy, 3}, {HitKind::DetailRow, CardAction::Copy, 3}, true},
        {{HitKind::Close, CardAction::Copy, 0}, {HitKind::Close, CardAction::Copy, 7}, true},    // index means nothing for other kinds
        {{HitKind::Outside, CardAction::Copy, 0}, {HitKind::Pane, CardAction::Copy, 0}, false},
        {{HitKind::CleanUp, CardAction::OpenFolder, 0}, {HitKind::CleanUp, CardAction::Copy, 0}, true},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(same_hover(c.before, c.after), c.same)
            << int(c.before.kind) << "/" << int(c.before.action) << "/" << c.before.index << " -> "
            << int(c.after.kind) << "/" << int(c.after.action) << "/" << c.after.index;
    }
}
