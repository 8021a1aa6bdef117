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

TEST(HitTestCards, PointGivesCardButtonOrNothing)
{
    // 1000 x 600 at 100 %: cards at x 24-976, tops 152 + 106 i; buttons as the row layout puts them
    // with small texts 40/60/30 wide: recycle 898-962, open folder 808-892, copy 748-802, y 206-236.
    const ViewMetrics m = view_metrics(1000, 600, 96);
    const ButtonsOfCard buttons = [&](const RectF& card) {
        return row_buttons(1, card, [](std::string_view text, TextStyle) {
            return text == "Recycle" ? 40.0f : text == "Open folder" ? 60.0f : 30.0f;
        }, RowButtonLabels{"Recycle", "Open folder", "Copy"});
    };
    const struct {
        float x, y, scroll;
        size_t count;
        HitTarget expected;
    } k_cases[] = {
        {500, 160, 0, 3, {HitKind::Card, CardAction::Copy, 0}},
        {500, 300, 0, 3, {HitKind::Card, CardAction::Copy, 1}},
        {500, 250, 0, 3, {}},                                         // the gap between two cards
        {900, 220, 0, 3, {HitKind::CardButton, CardAction::Recycle, 0}},
        {895, 220, 0, 3, {HitKind::Card, CardAction::Copy, 0}},        // the 6 px between two buttons
        {850, 220, 0, 3, {HitKind::CardButton, CardAction::OpenFolder, 0}},
        {748, 206, 0, 3, {HitKind::CardButton, CardAction::Copy, 0}},  // top-left corner is inside
        {976, 160, 0, 3, {}},                                         // the right edge is outside
        {500, 160, 0, 0, {}},                                         // no entries
        {500, 60, 100, 3, {HitKind::Card, CardAction::Copy, 0}},      // card 0 now 52-148
        {500, 51, 100, 3, {}},                                        // its part under the header answers nothing
        {500, 400, 0, 3, {HitKind::Card, CardAction::Copy, 2}},
        {500, 480, 0, 3, {}},                                         // below the last card
        {500, 560, 1'049'600, 10'000, {HitKind::Card, CardAction::Copy, 9'905}},
    };
    for (const auto& c : k_cases) {
        const HitTarget hit = hit_test_cards(m, c.count, c.scroll, c.x, c.y, buttons);
        EXPECT_EQ(hit, c.expected) << c.x << "," << c.y << " scroll " << c.scroll << " got " << int(hit.kind) << "/"
                                   << int(hit.action) << "/" << hit.index;
    }
}

TEST(HitTestPane, PaneAnswersBeforeAnythingBelow)
{
    // 1000 x 760 at 100 % with 14 rows: panel 110-890 x 94-666, rows from y 158 every 32 px at x 122-878,
    // close 842-878 x 108-144, "Copy all" 56 + 32 wide ending 16 from the right, 48 above the bottom.
    const DetailLayout pane = detail_layout(view_metrics(1000, 760, 96), 14, 0, 56);
    const struct {
        float x, y;
        HitTarget expected;
    } k_cases[] = {
        {850, 120, {HitKind::Close, CardAction::Copy, 0}},
        {800, 630, {HitKind::CopyAll, CardAction::Copy, 0}},
        {50, 50, {HitKind::Outside, CardAction::Copy, 0}},   // over the toolbar: only outside
        {890, 300, {HitKind::Outside, CardAction::Copy, 0}},  // the panel's right edge
        {300, 158, {HitKind::DetailRow, CardAction::Copy, 0}},
        {300, 189, {HitKind::DetailRow, CardAction::Copy, 0}},
        {300, 190, {HitKind::DetailRow, CardAction::Copy, 1}},
        {300, 605, {HitKind::DetailRow, CardAction::Copy, 13}},
        {115, 300, {HitKind::Pane, CardAction::Copy, 0}},     // the 12 px margin beside a row
        {300, 120, {HitKind::Pane, CardAction::Copy, 0}},     // the title
        {300, 640, {HitKind::Pane, CardAction::Copy, 0}},     // the footer's hint
    };
    for (const auto& c : k_cases) {
        const HitTarget hit = hit_test_pane(pane, c.x, c.y);
        EXPECT_EQ(hit, c.expected) << c.x << "," << c.y << " got " << int(hit.kind) << "/" << hit.index;
    }
    // A row scrolled out of the viewport is not hit where it overlaps the title.
    const DetailLayout scrolled = detail_layout(view_metrics(700, 500, 96), 14, 112, 56);
    EXPECT_EQ(hit_test_pane(scrolled, 300, 60).kind, HitKind::Pane);
    EXPECT_EQ(hit_test_pane(scrolled, 300, 90), (HitTarget{HitKind::DetailRow, CardAction::Copy, 3}));
}
