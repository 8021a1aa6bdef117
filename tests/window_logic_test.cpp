#include "app/state_slot.h"
#include "app/window_logic.h"

#include <gtest/gtest.h>

#include <vector>

#include <optional>

#include <algorithm>

#include <cmath>
#include <limits>
#include <memory>

namespace {

TEST(NoticeExpiry, AgeDecidesWhetherTheTimerRemovesIt)
{
    const struct {
        const char* name;
        double set_at;
        double now;
        bool expired;
    } k_cases[] = {
        {"timer of this notice", 100.0, 103.0, true},
        {"timer a little early", 100.0, 102.95, true},
        {"exactly the minimum age", 100.0, 102.9, true},
        {"replaced 1 s after the first", 101.0, 103.0, false},  // the first notice's timer fires
        {"replaced just now", 103.0, 103.0, false},
        {"clock went nowhere", 0.0, 0.0, false},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(notice_expired(c.set_at, c.now), c.expired);
    }
}

TEST(ClampScroll, OffsetStaysInsideTheRange)
{
    const struct {
        const char* name;
        float offset;
        float largest;
        float expected;
    } k_cases[] = {
        {"inside", 50, 630, 50},
        {"above the top", -120, 630, 0},
        {"past the end", 1e9f, 630, 630},
        {"home", -1e9f, 630, 0},
        {"no range", 300, 0, 0},
        {"nan offset", std::nanf(""), 630, 0},
        {"edge", 630, 630, 630},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clamp_scroll(c.offset, c.largest), c.expected);
    }
}

TEST(KeyAction, KeysMapToCommands)
{
    // Up and Down move the focus only when told the arrows do (focus ring on a card or pane row);
    // otherwise every listed key scrolls by exactly its old amount.
    const struct {
        const char* name;
        uint32_t key;
        float height;
        uint32_t dpi;
        bool shift;
        bool arrows_move_focus;
        KeyCommand command;
        float delta;
    } k_cases[] = {
        {"escape", 0x1B, 600, 96, false, false, KeyCommand::CloseDetail, 0},
        {"page up", 0x21, 600, 96, false, false, KeyCommand::Scroll, -480},
        {"page down", 0x22, 600, 96, false, false, KeyCommand::Scroll, 480},
        {"page down in a collapsed window", 0x22, -5, 96, false, false, KeyCommand::Scroll, 0},
        {"page down with the ring on a card", 0x22, 600, 96, false, true, KeyCommand::Scroll, 480},
        {"end", 0x23, 600, 96, false, false, KeyCommand::Scroll, 1e9f},
        {"home with the ring on a card", 0x24, 600, 96, false, true, KeyCommand::Scroll, -1e9f},
        {"up at 150 %", 0x26, 600, 144, false, false, KeyCommand::Scroll, -90},
        {"down", 0x28, 600, 96, false, false, KeyCommand::Scroll, 60},
        {"up with the ring on a card", 0x26, 600, 96, false, true, KeyCommand::FocusUp, 0},
        {"down with the ring on a card", 0x28, 600, 96, false, true, KeyCommand::FocusDown, 0},
        {"f5", 0x74, 600, 96, false, false, KeyCommand::Rescan, 0},
        {"tab", 0x09, 600, 96, false, false, KeyCommand::FocusNext, 0},
        {"shift+tab", 0x09, 600, 96, true, false, KeyCommand::FocusPrevious, 0},
        {"enter", 0x0D, 600, 96, false, true, KeyCommand::Activate, 0},
        {"space", 0x20, 600, 96, false, false, KeyCommand::Activate, 0},
        {"left arrow", 0x25, 600, 96, false, true, KeyCommand::None, 0},
        {"f6", 0x75, 600, 96, false, false, KeyCommand::None, 0},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        const KeyAction action = key_action(c.key, c.height, c.dpi, c.shift, c.arrows_move_focus);
        EXPECT_EQ(action.command, c.command);
        EXPECT_FLOAT_EQ(action.scroll_delta, c.delta);
    }
}

TEST(InvokeMessage, TargetsSurviveTheTripThroughWParam)
{
    const HitTarget k_targets[] = {
        {HitKind::Menu, CardAction::Copy, 0},
        {HitKind::CardButton, CardAction::Recycle, 12345},
        {HitKind::DetailRow, CardAction::Copy, 15},
        {HitKind::Card, CardAction::Copy, (uint64_t{1} << 47) + 3},
    };
    for (const HitTarget& t : k_targets) EXPECT_EQ(invoke_target(invoke_wparam(t)), t);
    // A message from elsewhere with a kind or button out of range names no target.
    EXPECT_EQ(invoke_target(0xFF).kind, HitKind::None);
    EXPECT_EQ(invoke_target(static_cast<uint64_t>(HitKind::CardButton) | (7u << 8)).kind, HitKind::None);
}

TEST(WheelScroll, NotchMovesDesignPixelsAgainstTheWheel)
{
    const struct {
        int16_t delta;
        uint32_t dpi;
        float expected;
    } k_cases[] = {
        {120, 96, -120}, {-120, 96, 120}, {120, 192, -240}, {-240, 144, 360}, {-32768, 96, 32768}, {0, 96, 0},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.delta);
        EXPECT_FLOAT_EQ(wheel_scroll_delta(c.delta, c.dpi), c.expected);
    }
}

TEST(StateSlot, SecondTakeWhileHeldIsBusy)
{
    StateSlot<int> slot;
    {
        auto empty = slot.take();
        EXPECT_EQ(empty.access(), SlotAccess::Absent);
    }
    ASSERT_TRUE(slot.fill(7));
    {
        auto outer = slot.take();
        ASSERT_TRUE(outer);
        EXPECT_EQ(*outer, 7);
        auto inner = slot.take();  // a message re-entering from a modal loop
        EXPECT_EQ(inner.access(), SlotAccess::Busy);
        EXPECT_FALSE(inner);
    }
    auto again = slot.take();  // the busy lease did not release the outer one's hold twice
    EXPECT_EQ(again.access(), SlotAccess::Taken);
}

TEST(StateSlot, EarlyReleaseLetsTheNextHandlerIn)
{
    StateSlot<int> slot;
    slot.fill(1);
    auto first = slot.take();
    first.release();
    EXPECT_FALSE(first);
    auto second = slot.take();
    EXPECT_TRUE(second);
    first.release();  // releasing twice must not free the second holder's lease
    EXPECT_EQ(slot.take().access(), SlotAccess::Busy);
}

TEST(StateSlot, DiscardWhileHeldWaitsForTheHolder)
{
    // The state must not be destroyed under a handler that still uses it (DestroyWindow from inside
    // a handler sends WM_DESTROY while the state is held).
    auto watched = std::make_shared<int>(5);
    StateSlot<std::shared_ptr<int>> slot;
    slot.fill(watched);
    {
        auto holder = slot.take();
        slot.discard();
        EXPECT_EQ(watched.use_count(), 2);
        EXPECT_EQ(**holder, 5);
        EXPECT_EQ(slot.take().access(), SlotAccess::Absent);  // already gone for everyone else
        EXPECT_FALSE(slot.filled());
    }
    EXPECT_EQ(watched.use_count(), 1);
    EXPECT_EQ(slot.take().access(), SlotAccess::Absent);
}

TEST(StateSlot, DiscardWhenFreeDestroysAtOnce)
{
    auto watched = std::make_shared<int>(5);
    StateSlot<std::shared_ptr<int>> slot;
    slot.fill(watched);
    slot.discard();
    EXPECT_EQ(watched.use_count(), 1);
    EXPECT_FALSE(slot.filled());
}


TEST(DarkTitleBar, TwentyFirstThenNineteenForOlderWindows10)
{
    const struct {
        const char* name;
        std::vector<uint32_t> accepted;  // the attributes this Windows takes
        std::optional<uint32_t> taken;
        std::vector<uint32_t> tried;
    } k_cases[] = {
        {"Windows 11, Windows 10 2004 and later", {19, 20}, 20, {20}},
        {"Windows 10 1809 to 1909", {19}, 19, {20, 19}},
        {"older Windows 10", {}, std::nullopt, {20, 19}},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        for (bool dark : {false, true}) {
            std::vector<uint32_t> tried;
            const std::optional<uint32_t> taken = apply_dark_title_bar(dark, [&](uint32_t attribute, bool value) {
                EXPECT_EQ(value, dark);
                tried.push_back(attribute);
                return std::find(c.accepted.begin(), c.accepted.end(), attribute) != c.accepted.end();
            });
            EXPECT_EQ(taken, c.taken);
            EXPECT_EQ(tried, c.tried);
        }
    }
}
}  // namespace

TEST(FolderRescan, AtMostOneScanEveryTwoSecondsWhileChangesKeepComing)
{
    const struct {
        const char* what;
        double now;
        bool due;
        std::optional<double> last_scan;
        std::optional<uint32_t> delay;
    } k_cases[] = {
        {"the first change: after the quiet time", 100.0, false, std::nullopt, 800u},
        {"long after the last scan", 100.0, false, 50.0, 800u},
        {"half a second after a scan began", 100.5, false, 100.0, 1500u},
        {"right as a scan began", 100.0, false, 100.0, 2000u},
        {"a rescan already due takes this change along", 100.0, true, 99.0, std::nullopt},
        {"a clock that jumped back waits the gap at most", 10.0, false, 500.0, 2800u},
        {"NaN", std::nan(""), false, 5.0, 800u},
    };
    for (const auto& c : k_cases) EXPECT_EQ(folder_rescan_delay_ms(c.now, c.due, c.last_scan, 800), c.delay) << c.what;
}
