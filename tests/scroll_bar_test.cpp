#include "gfx/scroll_bar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float k_nan = std::numeric_limits<float>::quiet_NaN();

}  // namespace

TEST(ScrollBar, ThumbLengthAndPositionFollowTheViewAtEachScale)
{
    // A list 600 px high whose cards scroll 630 px: the track runs from the header's bottom to the
    // window's; the thumb is the view's share of the content, at least 24 s.
    const struct {
        float s, top, bottom, view, largest, scroll;
        float track_x, track_width, thumb_y, thumb_height;
    } k_cases[] = {
        {1, 52, 600, 600, 630, 0, 988, 12, 52, 267},      // 548 * 600 / 1230
        {1, 52, 600, 600, 630, 630, 988, 12, 333, 267},   // at the end: 52 + 548 - 267
        {1, 52, 600, 600, 630, 315, 988, 12, 193, 267},   // half way: 52 + round(140.5)
        {1, 52, 600, 600, 630, 5000, 988, 12, 333, 267},  // past the end: clamped
        {1, 52, 600, 600, 630, -40, 988, 12, 52, 267},
        {1, 52, 600, 600, 630, k_nan, 988, 12, 52, 267},  // an unusable offset shows the top
        {1, 52, 600, 600, 100000, 0, 988, 12, 52, 24},    // thousands of cards: the minimum
        {1.5f, 78, 900, 900, 150000, 150000, 982, 18, 864, 36},
        {2, 104, 1200, 1200, 200000, 0, 976, 24, 104, 48},
        {2, 104, 1200, 1200, 1200, 1200, 976, 24, 652, 548},  // 1096 / 2
        {1, 52, 70, 70, 5000, 0, 988, 12, 52, 18},         // a track shorter than 24 s: the track
    };
    for (const auto& c : k_cases) {
        const auto bar = scroll_bar_geometry(c.s, 1000, c.top, c.bottom, c.view, c.largest, c.scroll);
        ASSERT_TRUE(bar) << c.s << " " << c.largest;
        EXPECT_EQ(bar->track.x, c.track_x) << c.s;
        EXPECT_EQ(bar->track.width, c.track_width) << c.s;
        EXPECT_EQ(bar->track.y, c.top);
        EXPECT_EQ(bar->track.height, c.bottom - c.top);
        EXPECT_EQ(bar->thumb.y, c.thumb_y) << c.s << " scroll " << c.scroll;
        EXPECT_EQ(bar->thumb.height, c.thumb_height) << c.s << " largest " << c.largest;
    }
}

TEST(ScrollBar, NoneWhenEverythingFitsOrTheNumbersAreUnusable)
{
    const struct {
        float top, bottom, view, largest;
    } k_cases[] = {
        {52, 600, 600, 0},  {52, 600, 600, 0.5f}, {52, 600, 600, -10}, {52, 600, 600, k_nan},
        {52, 600, 0, 630},  {600, 600, 600, 630}, {600, 52, 600, 630}, {k_nan, 600, 600, 630},
        {52, 600, 600, std::numeric_limits<float>::infinity()},
    };
    for (const auto& c : k_cases)
        EXPECT_FALSE(scroll_bar_geometry(1, 1000, c.top, c.bottom, c.view, c.largest, 0))
            << c.top << " " << c.bottom << " " << c.view << " " << c.largest;
}

TEST(ScrollBar, PressesInTheTrackPageByFourFifthsOfTheView)
{
    const auto bar = scroll_bar_geometry(1, 1000, 52, 600, 600, 630, 300);  // thumb 52 + 134, 267 long
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->thumb.y, 186);
    const struct {
        float y;
        TrackPart part;
        float scroll, after;
    } k_cases[] = {
        {185, TrackPart::Above, 300, 0},     // 300 - 480, clamped
        {60, TrackPart::Above, 630, 150},
        {186, TrackPart::Thumb, 300, 300},   // the thumb's top edge is the thumb
        {452, TrackPart::Thumb, 300, 300},
        {453, TrackPart::Below, 0, 480},     // its bottom edge is the track below it
        {599, TrackPart::Below, 480, 630},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(track_part(*bar, c.y), c.part) << c.y;
        EXPECT_EQ(scroll_for_track_press(*bar, c.scroll, track_part(*bar, c.y)), c.after) << c.y;
    }
    // The pane's rows page by their own viewport, not by the window.
    const auto pane = scroll_bar_geometry(1.5f, 800, 200, 500, 300, 1000, 0);
    ASSERT_TRUE(pane);
    EXPECT_EQ(scroll_for_track_press(*pane, 100, TrackPart::Below), 340);
}

TEST(ScrollBar, TheDraggedThumbFollowsThePointer)
{
    // Travel 548 - 267 = 281 px for 630 px of scrolling.
    const auto bar = scroll_bar_geometry(1, 1000, 52, 600, 600, 630, 0);
    ASSERT_TRUE(bar);
    const struct {
        float grab, dy, after;
    } k_cases[] = {
        {0, 281, 630},   {0, 140.5f, 315}, {0, 1, 2},       // 630 / 281 = 2.24 a pixel, rounded
        {0, -50, 0},     {315, 10000, 630}, {630, -281, 0},
        {315, k_nan, 315}, {k_nan, 10, 0},                // a lost grab offset gives the top
    };
    for (const auto& c : k_cases) EXPECT_EQ(scroll_for_thumb_drag(*bar, c.grab, c.dy), c.after) << c.grab << " " << c.dy;
    // A thumb that fills the track cannot move it.
    const auto full = scroll_bar_geometry(1, 1000, 52, 70, 70, 5000, 0);
    ASSERT_TRUE(full);
    EXPECT_EQ(scroll_for_thumb_drag(*full, 40, 30), 40);
}

TEST(ScrollBar, TheThumbIsDrawnNarrowAtRestAndWideInUse)
{
    for (const float s : {1.0f, 1.5f, 2.0f}) {
        const auto bar = scroll_bar_geometry(s, 1000, 52, 600, 600, 630, 0);
        ASSERT_TRUE(bar);
        const RectF rest = thumb_drawn(*bar, s, false);
        const RectF wide = thumb_drawn(*bar, s, true);
        EXPECT_EQ(rest.width, std::round(4 * s)) << s;
        EXPECT_EQ(wide.width, std::round(8 * s)) << s;
        EXPECT_EQ(rest.x + rest.width, 1000 - std::round(2 * s)) << s;  // both hug the right edge
        EXPECT_EQ(wide.x + wide.width, rest.x + rest.width) << s;
        EXPECT_GT(rest.y, bar->thumb.y);
        EXPECT_LT(rest.y + rest.height, bar->thumb.y + bar->thumb.height);
    }
}
