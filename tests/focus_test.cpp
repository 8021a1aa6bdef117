// The keyboard focus model: Tab order, Up and Down, the rule that decides whether the arrows scroll or
// move the focus, scrolling a card into view and keeping the focus across a new scan result.

#include "gfx/focus.h"

#include "tests/support/view_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

HitTarget t(HitKind kind, uint64_t index = 0, CardAction action = CardAction::Copy)
{
    return HitTarget{kind, action, index};
}

}  // namespace

TEST(FocusOrder, ToolbarLeftToRightThenEachCardWithItsButtons)
{
    const std::vector<HitTarget> expected = {
        t(HitKind::CleanUp),
        t(HitKind::AddFolder),
        t(HitKind::Refresh),
        t(HitKind::Menu),
        t(HitKind::Card, 0),
        t(HitKind::CardButton, 0, CardAction::Copy),
        t(HitKind::CardButton, 0, CardAction::OpenFolder),
        t(HitKind::CardButton, 0, CardAction::Recycle),
        t(HitKind::Card, 1),
        t(HitKind::CardButton, 1, CardAction::Copy),
        t(HitKind::CardButton, 1, CardAction::OpenFolder),
        t(HitKind::CardButton, 1, CardAction::Recycle),
    };
    EXPECT_EQ(focus_order(list_of(2, true)), expected);
    // Tab from nothing walks exactly that order and comes round to the start.
    const ViewShape shape = list_of(2, true);
    HitTarget at;
    for (const HitTarget& want : expected) {
        at = next_focus(shape, at, false).value();
        EXPECT_EQ(at, want);
    }
    EXPECT_EQ(next_focus(shape, at, false), expected.front());

    // Before the first scan result only the toolbar (never the clean-up button); the pane has its rows,
    // Copy all and Close.
    ViewShape scanning;
    scanning.clean_up = true;
    EXPECT_EQ(focus_order(scanning), (std::vector<HitTarget>{t(HitKind::AddFolder), t(HitKind::Refresh), t(HitKind::Menu)}));
    EXPECT_EQ(focus_order(pane_of(2)),
              (std::vector<HitTarget>{t(HitKind::DetailRow, 0), t(HitKind::DetailRow, 1), t(HitKind::CopyAll), t(HitKind::Close)}));
}

TEST(NextFocus, TabAndShiftTabWrapAndStartAtTheEnds)
{
    const struct {
        const char* name;
        ViewShape shape;
        HitTarget current;
        bool backwards;
        HitTarget expected;
    } k_cases[] = {
        {"tab from nothing", list_of(2), {}, false, t(HitKind::AddFolder)},
        {"shift+tab from nothing", list_of(2), {}, true, t(HitKind::CardButton, 1, CardAction::Recycle)},
        {"last wraps to first", list_of(2), t(HitKind::CardButton, 1, CardAction::Recycle), false, t(HitKind::AddFolder)},
        {"first wraps to last", list_of(2), t(HitKind::AddFolder), true, t(HitKind::CardButton, 1, CardAction::Recycle)},
        {"menu to the first card", list_of(2), t(HitKind::Menu), false, t(HitKind::Card, 0)},
        {"recycle to the next card", list_of(2), t(HitKind::CardButton, 0, CardAction::Recycle), false, t(HitKind::Card, 1)},
        {"card back to the previous recycle", list_of(2), t(HitKind::Card, 1), true, t(HitKind::CardButton, 0, CardAction::Recycle)},
        {"a card that went starts over", list_of(2), t(HitKind::Card, 7), false, t(HitKind::AddFolder)},
        {"clean-up gone starts over", list_of(2), t(HitKind::CleanUp), false, t(HitKind::AddFolder)},
        {"no cards: the toolbar wraps", list_of(0), t(HitKind::Menu), false, t(HitKind::AddFolder)},
        {"pane: a row to Copy all", pane_of(14), t(HitKind::DetailRow, 8), false, t(HitKind::CopyAll)},
        {"pane: Copy all to Close", pane_of(14), t(HitKind::CopyAll), false, t(HitKind::Close)},
        {"pane: Close to the first row", pane_of(14), t(HitKind::Close), false, t(HitKind::DetailRow, 0)},
        {"pane: a row back to Close", pane_of(14), t(HitKind::DetailRow, 3), true, t(HitKind::Close)},
        {"pane: Copy all back to the rows", pane_of(14), t(HitKind::CopyAll), true, t(HitKind::DetailRow, 0)},
        {"pane: a card behind it counts as nothing", pane_of(14), t(HitKind::Card, 1), false, t(HitKind::DetailRow, 0)},
        {"pane without rows skips them", pane_of(0), t(HitKind::Close), false, t(HitKind::CopyAll)},
    };
    for (const auto& c : k_cases) EXPECT_EQ(next_focus(c.shape, c.current, c.backwards), c.expected) << c.name;
}

TEST(VerticalFocus, CardsAndRowsStepAndStopAtTheEnds)
{
    const struct {
        const char* name;
        ViewShape shape;
        HitTarget current;
        bool down;
        std::optional<HitTarget> expected;
    } k_cases[] = {
        {"down to the next card", list_of(3), t(HitKind::Card, 0), true, t(HitKind::Card, 1)},
        {"down on the last card stays", list_of(3), t(HitKind::Card, 2), true, t(HitKind::Card, 2)},
        {"up on the first card stays", list_of(3), t(HitKind::Card, 0), false, t(HitKind::Card, 0)},
        {"from a button to the card above", list_of(3), t(HitKind::CardButton, 2, CardAction::OpenFolder), false, t(HitKind::Card, 1)},
        {"rows step", pane_of(14), t(HitKind::DetailRow, 5), true, t(HitKind::DetailRow, 6)},
        {"the last row stays", pane_of(14), t(HitKind::DetailRow, 13), true, t(HitKind::DetailRow, 13)},
        {"the first row stays", pane_of(14), t(HitKind::DetailRow, 0), false, t(HitKind::DetailRow, 0)},
        {"toolbar: the arrows scroll", list_of(3), t(HitKind::Refresh), true, std::nullopt},
        {"Copy all: the arrows scroll", pane_of(14), t(HitKind::CopyAll), true, std::nullopt},
        {"nothing focused", list_of(3), {}, true, std::nullopt},
        {"a card that went", list_of(3), t(HitKind::Card, 3), true, std::nullopt},
        {"a card behind the pane", pane_of(14), t(HitKind::Card, 0), true, std::nullopt},
    };
    for (const auto& c : k_cases) EXPECT_EQ(vertical_focus(c.shape, c.current, c.down), c.expected) << c.name;
}

TEST(ArrowsMoveFocus, OnlyWithTheRingShownOnACardOrRow)
{
    EXPECT_TRUE(arrows_move_focus(list_of(3), t(HitKind::Card, 1), true));
    EXPECT_TRUE(arrows_move_focus(list_of(3), t(HitKind::CardButton, 1, CardAction::Recycle), true));
    EXPECT_TRUE(arrows_move_focus(pane_of(14), t(HitKind::DetailRow, 1), true));
    // The mouse was used since (ring hidden): the arrows scroll again, whatever has the focus.
    EXPECT_FALSE(arrows_move_focus(list_of(3), t(HitKind::Card, 1), false));
    EXPECT_FALSE(arrows_move_focus(pane_of(14), t(HitKind::DetailRow, 1), false));
    EXPECT_FALSE(arrows_move_focus(list_of(3), t(HitKind::AddFolder), true));
    EXPECT_FALSE(arrows_move_focus(list_of(3), {}, true));
}

TEST(ScrollToShow, LeastMovementInsideTheRange)
{
    const struct {
        const char* name;
        float top, bottom, scroll, largest, expected;
    } k_cases[] = {
        // The view is [62, 590).
        {"already in view", 152, 248, 0, 1000, 0},
        {"below: scrolls down just enough", 576, 672, 100, 1000, 182},
        {"above: scrolls up just enough", 30, 126, 300, 1000, 268},
        {"taller than the view: its top wins", 100, 700, 50, 1000, 88},
        {"kept at the largest offset", 900, 996, 100, 200, 200},
        {"kept at 0", 40, 136, 10, 1000, 0},
        {"a NaN offset lands on 0", 152, 248, std::nanf(""), 1000, 0},
    };
    for (const auto& c : k_cases)
        EXPECT_FLOAT_EQ(scroll_to_show(c.top, c.bottom, 62, 590, c.scroll, c.largest), c.expected) << c.name;
}

TEST(FocusAfterScan, KeepsTheCertificateOrFallsToANeighbour)
{
    const std::vector<CertificateEntry> before = {entry("CN=A", "01"), entry("CN=B", "02"), entry("CN=C", "03")};
    const std::vector<CertificateEntry> reordered = {entry("CN=C", "03"), entry("CN=A", "01"), entry("CN=B", "02")};
    const std::vector<CertificateEntry> without_b = {entry("CN=A", "01"), entry("CN=C", "03")};
    const std::vector<CertificateEntry> only_a = {entry("CN=A", "01")};
    const std::vector<CertificateEntry> none;
    const std::vector<CertificateEntry> lower_case_b = {entry("CN=A", "01"), entry("cn=b", "02"), entry("CN=C", "03")};
    ViewShape pane_kept = list_of(3);
    pane_kept.pane = 2;
    pane_kept.row_count = 14;
    ViewShape short_pane = pane_kept;
    short_pane.row_count = 13;
    const struct {
        const char* name;
        HitTarget focus;
        std::optional<size_t> selection;
        const std::vector<CertificateEntry>* after;
        ViewShape shape;
        HitTarget expected;
    } k_cases[] = {
        {"a card follows its certificate", t(HitKind::Card, 1), {}, &reordered, list_of(3), t(HitKind::Card, 2)},
        {"a button too", t(HitKind::CardButton, 0, CardAction::Recycle), {}, &reordered, list_of(3),
         t(HitKind::CardButton, 1, CardAction::Recycle)},
        {"a card gone: the one now at its place", t(HitKind::Card, 1), {}, &without_b, list_of(2), t(HitKind::Card, 1)},
        {"a button of a card gone: that card", t(HitKind::CardButton, 1, CardAction::Copy), {}, &without_b, list_of(2),
         t(HitKind::Card, 1)},
        {"past the end: the last card", t(HitKind::Card, 2), {}, &only_a, list_of(1), t(HitKind::Card, 0)},
        {"no cards left: Add folder", t(HitKind::Card, 0), {}, &none, list_of(0), t(HitKind::AddFolder)},
        {"identity is byte for byte", t(HitKind::CardButton, 1, CardAction::Copy), {}, &lower_case_b, list_of(3),
         t(HitKind::Card, 1)},
        {"a row of a pane kept open", t(HitKind::DetailRow, 13), 1, &reordered, pane_kept, t(HitKind::DetailRow, 13)},
        {"a row past the new rows: the last", t(HitKind::DetailRow, 13), 1, &reordered, short_pane, t(HitKind::DetailRow, 12)},
        {"Close of a pane kept open", t(HitKind::Close), 1, &reordered, pane_kept, t(HitKind::Close)},
        {"a pane closed: the card at its place", t(HitKind::CopyAll), 1, &without_b, list_of(2), t(HitKind::Card, 1)},
        {"clean-up no longer shown: Add folder", t(HitKind::CleanUp), {}, &before, list_of(3, false), t(HitKind::AddFolder)},
        {"clean-up still shown", t(HitKind::CleanUp), {}, &before, list_of(3, true), t(HitKind::CleanUp)},
        {"the toolbar keeps it", t(HitKind::Refresh), {}, &none, list_of(0), t(HitKind::Refresh)},
        {"nothing stays nothing", {}, {}, &none, list_of(0), {}},
    };
    for (const auto& c : k_cases)
        EXPECT_EQ(focus_after_scan(c.focus, c.selection, before, *c.after, c.shape), c.expected) << c.name;
    // The first result: nothing to keep a card by.
    EXPECT_EQ(focus_after_scan(t(HitKind::Menu), {}, std::nullopt, before, list_of(3)), t(HitKind::Menu));
}

TEST(Focus, TabMeetsTheSearchFieldAtEitherEndOfTheWindow)
{
    const ViewShape list = list_of(2);
    const std::vector<HitTarget> order = focus_order(list);
    const ViewShape empty = list_of(0);
    const struct {
        const ViewShape* shape;
        HitTarget current;
        bool backwards;
        bool to_field;
    } k_cases[] = {
        {&list, HitTarget{}, false, true},          // nothing focused: the field is the first stop
        {&list, HitTarget{}, false, true},
        {&list, HitTarget{}, true, false},          // Shift+Tab from nothing: the last stop, as before
        {&list, order.back(), false, true},         // past the last card's button
        {&list, order.front(), true, true},         // before the first toolbar button
        {&list, order.front(), false, false},
        {&list, order[3], false, false},
        {&list, order.back(), true, false},
        {&empty, order.front(), true, true},
    };
    for (const auto& c : k_cases)
        EXPECT_EQ(tab_goes_to_search_field(*c.shape, c.current, c.backwards), c.to_field)
            << static_cast<int>(c.current.kind) << " " << c.backwards;
    // The open pane keeps Tab to itself.
    const ViewShape pane = pane_of(4);
    for (const HitTarget& t : focus_order(pane)) {
        EXPECT_FALSE(tab_goes_to_search_field(pane, t, false));
        EXPECT_FALSE(tab_goes_to_search_field(pane, t, true));
    }
}
