#pragma once

// The overlay scroll bar at the right edge of the list and of the detail pane's rows. It takes no
// room from the cards, shows only when the content does not fit, and is drawn narrow at rest and
// wider while the pointer is on it or drags its thumb. Pure geometry: painting, hit-testing and
// dragging all read the same numbers.

#include "gfx/layout.h"

#include <cstdint>
#include <optional>

// Which view a bar scrolls.
enum class ScrollArea : uint8_t { List, Detail };

struct ScrollBarGeometry {
    RectF track;        // where the pointer meets the bar: the view's height, 12 s wide, at its right edge
    RectF thumb;        // its vertical extent within the track shows the part in view
    float view = 0;     // how much of the content is seen at once
    float largest = 0;  // the largest scroll offset
};

// The bar for a view reaching from `top` to `bottom` with its right edge at `right`, showing `view`
// pixels of content that scrolls up to `largest`, now at `scroll`. The thumb is as long as the view's
// share of the content, at least 24 s (never longer than the track). None when everything fits or
// any of the numbers is not usable.
std::optional<ScrollBarGeometry> scroll_bar_geometry(float s, float right, float top, float bottom, float view,
                                                     float largest, float scroll);

// A thumb held by the left button: where the press was and the offset then.
struct ThumbDrag {
    ScrollArea area = ScrollArea::List;
    float grab_y = 0;
    float grab_scroll = 0;
};

// Where a press in the track lands: on the thumb, or above or below it.
enum class TrackPart : uint8_t { Above, Thumb, Below };
TrackPart track_part(const ScrollBarGeometry& bar, float y);

// The offset for a thumb grabbed at offset `grab_scroll` and moved `dy` pixels since: the thumb
// follows the pointer, clamped to the ends; whole pixels, as every scroll offset is.
float scroll_for_thumb_drag(const ScrollBarGeometry& bar, float grab_scroll, float dy);

// The offset after a press in the track above or below the thumb: a page of 0.8 of the view, as
// Page Up and Page Down move. A press on the thumb leaves `scroll` as it is.
float scroll_for_track_press(const ScrollBarGeometry& bar, float scroll, TrackPart part);

// The thumb as drawn: 4 s wide at rest, 8 s while `wide`, 2 s from the right edge, the track's height
// inset a little at both ends so that the rounded ends show.
RectF thumb_drawn(const ScrollBarGeometry& bar, float s, bool wide);
