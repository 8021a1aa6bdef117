#include "gfx/scroll_bar.h"

#include <algorithm>
#include <cmath>

namespace {

bool usable(float v) { return std::isfinite(v); }

}  // namespace

std::optional<ScrollBarGeometry> scroll_bar_geometry(float s, float right, float top, float bottom, float view,
                                                     float largest, float scroll)
{
    if (!usable(s) || !usable(right) || !usable(top) || !usable(bottom) || !usable(view) || !usable(largest))
        return std::nullopt;
    const float length = bottom - top;
    if (!(largest >= 1) || !(view > 0) || !(length > 0)) return std::nullopt;  // everything fits
    ScrollBarGeometry bar;
    const float width = round_half_away(12 * s);
    bar.track = {right - width, top, width, length};
    bar.view = view;
    bar.largest = largest;
    const float share = view / (view + largest);
    const float thumb_length = std::min(std::max(round_half_away(length * share), round_half_away(24 * s)), length);
    const float fraction = usable(scroll) ? std::clamp(scroll / largest, 0.0f, 1.0f) : 0.0f;
    bar.thumb = {bar.track.x, top + round_half_away((length - thumb_length) * fraction), width, thumb_length};
    return bar;
}

TrackPart track_part(const ScrollBarGeometry& bar, float y)
{
    if (y < bar.thumb.y) return TrackPart::Above;
    if (y >= bar.thumb.y + bar.thumb.height) return TrackPart::Below;
    return TrackPart::Thumb;
}

float scroll_for_thumb_drag(const ScrollBarGeometry& bar, float grab_scroll, float dy)
{
    const float travel = bar.track.height - bar.thumb.height;  // how far the thumb can move
    float scroll = travel > 0 && usable(dy) ? grab_scroll + dy * (bar.largest / travel) : grab_scroll;
    if (!usable(scroll)) scroll = 0;
    return std::clamp(std::round(scroll), 0.0f, bar.largest);
}

float scroll_for_track_press(const ScrollBarGeometry& bar, float scroll, TrackPart part)
{
    if (part == TrackPart::Thumb) return scroll;
    const float page = 0.8f * bar.view;
    const float moved = part == TrackPart::Above ? scroll - page : scroll + page;
    return std::clamp(std::round(usable(moved) ? moved : 0.0f), 0.0f, bar.largest);
}

RectF thumb_drawn(const ScrollBarGeometry& bar, float s, bool wide)
{
    const float width = round_half_away((wide ? 8 : 4) * s);
    const float edge = round_half_away(2 * s);
    const float inset = std::min(round_half_away(2 * s), bar.thumb.height / 4);
    return {bar.track.x + bar.track.width - edge - width, bar.thumb.y + inset, width, bar.thumb.height - 2 * inset};
}
