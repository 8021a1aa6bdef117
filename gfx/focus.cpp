#include "gfx/focus.h"

#include "npki/scan_state.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t k_stops_per_card = 4;  // the card and its three buttons

HitTarget target(HitKind kind, uint64_t index = 0, CardAction action = CardAction::Copy)
{
    return HitTarget{kind, action, index};
}

size_t button_slot(CardAction action)
{
    for (size_t i = 0; i < std::size(k_card_buttons_left_to_right); ++i)
        if (k_card_buttons_left_to_right[i] == action) return i;
    return 0;
}

// The main view's stops are numbered: the toolbar first, then four per card. A list of thousands is
// walked by arithmetic, never by building it.
size_t main_stop_count(const ViewShape& shape)
{
    return toolbar_left_to_right(shape).size() + k_stops_per_card * shape.listed_cards();
}

HitTarget main_stop(const ViewShape& shape, size_t position)
{
    const std::vector<HitKind> toolbar = toolbar_left_to_right(shape);
    if (position < toolbar.size()) return target(toolbar[position]);
    const size_t q = position - toolbar.size();
    const size_t card = q / k_stops_per_card;
    const size_t slot = q % k_stops_per_card;
    if (slot == 0) return target(HitKind::Card, card);
    return target(HitKind::CardButton, card, k_card_buttons_left_to_right[slot - 1]);
}

std::optional<size_t> main_position(const ViewShape& shape, const HitTarget& focus)
{
    if (!focusable(shape, focus)) return std::nullopt;
    const std::vector<HitKind> toolbar = toolbar_left_to_right(shape);
    const auto found = std::find(toolbar.begin(), toolbar.end(), focus.kind);
    if (found != toolbar.end()) return static_cast<size_t>(found - toolbar.begin());
    const size_t base = toolbar.size() + k_stops_per_card * static_cast<size_t>(focus.index);
    return focus.kind == HitKind::Card ? base : base + 1 + button_slot(focus.action);
}

// The pane's three stops: the rows, Copy all, Close.
std::optional<size_t> pane_position(const ViewShape& shape, const HitTarget& focus)
{
    if (!focusable(shape, focus)) return std::nullopt;
    switch (focus.kind) {
    case HitKind::DetailRow: return 0;
    case HitKind::CopyAll: return 1;
    case HitKind::Close: return 2;
    default: return std::nullopt;
    }
}

HitTarget pane_stop(size_t position)
{
    switch (position) {
    case 0: return target(HitKind::DetailRow, 0);
    case 1: return target(HitKind::CopyAll);
    default: return target(HitKind::Close);
    }
}

size_t clamp_index(size_t index, size_t count)
{
    return std::min(index, count - 1);
}

}  // namespace

std::vector<HitKind> toolbar_left_to_right(const ViewShape& shape)
{
    std::vector<HitKind> kinds;
    kinds.reserve(4);
    if (shape.listed && shape.clean_up) kinds.push_back(HitKind::CleanUp);
    for (HitKind kind : {HitKind::AddFolder, HitKind::Refresh, HitKind::Menu}) kinds.push_back(kind);
    return kinds;
}

bool focusable(const ViewShape& shape, const HitTarget& t)
{
    if (shape.pane) {
        switch (t.kind) {
        case HitKind::DetailRow: return t.index < shape.row_count;
        case HitKind::CopyAll:
        case HitKind::Close: return true;
        default: return false;
        }
    }
    switch (t.kind) {
    case HitKind::AddFolder:
    case HitKind::Refresh:
    case HitKind::Menu: return true;
    case HitKind::CleanUp: return shape.listed && shape.clean_up;
    case HitKind::Card:
    case HitKind::CardButton: return t.index < shape.listed_cards();
    default: return false;
    }
}

std::vector<HitTarget> focus_order(const ViewShape& shape)
{
    std::vector<HitTarget> order;
    if (shape.pane) {
        for (size_t r = 0; r < shape.row_count; ++r) order.push_back(target(HitKind::DetailRow, r));
        order.push_back(target(HitKind::CopyAll));
        order.push_back(target(HitKind::Close));
        return order;
    }
    const size_t count = main_stop_count(shape);
    order.reserve(count);
    for (size_t p = 0; p < count; ++p) order.push_back(main_stop(shape, p));
    return order;
}

std::optional<HitTarget> next_focus(const ViewShape& shape, const HitTarget& current, bool backwards)
{
    if (shape.pane) {
        constexpr size_t stops = 3;
        const std::optional<size_t> at = pane_position(shape, current);
        size_t next = 0;
        if (!at) {
            next = backwards ? stops - 1 : 0;
        } else {
            next = backwards ? (*at + stops - 1) % stops : (*at + 1) % stops;
        }
        // A pane without rows (an entry that vanished under it) skips the row stop.
        if (next == 0 && shape.row_count == 0) next = backwards ? stops - 1 : 1;
        return pane_stop(next);
    }
    const size_t count = main_stop_count(shape);
    if (count == 0) return std::nullopt;
    const std::optional<size_t> at = main_position(shape, current);
    if (!at) return main_stop(shape, backwards ? count - 1 : 0);
    return main_stop(shape, backwards ? (*at + count - 1) % count : (*at + 1) % count);
}

bool tab_goes_to_search_field(const ViewShape& shape, const HitTarget& current, bool backwards)
{
    if (shape.pane) return false;
    const std::vector<HitTarget> order = focus_order(shape);
    if (order.empty()) return true;
    const auto at = std::find(order.begin(), order.end(), current);
    if (at == order.end()) return !backwards;
    return backwards ? at == order.begin() : at + 1 == order.end();
}

std::optional<HitTarget> vertical_focus(const ViewShape& shape, const HitTarget& current, bool down)
{
    if (!focusable(shape, current)) return std::nullopt;
    const auto step = [down](uint64_t index, size_t count) -> uint64_t {
        if (down) return std::min<uint64_t>(index + 1, count - 1);
        return index == 0 ? 0 : index - 1;
    };
    if (current.kind == HitKind::DetailRow) return target(HitKind::DetailRow, step(current.index, shape.row_count));
    if (current.kind == HitKind::Card || current.kind == HitKind::CardButton)
        return target(HitKind::Card, step(current.index, shape.listed_cards()));
    return std::nullopt;
}

bool arrows_move_focus(const ViewShape& shape, const HitTarget& focus, bool cues_shown)
{
    return cues_shown && vertical_focus(shape, focus, true).has_value();
}

float scroll_to_show(float top, float bottom, float view_top, float view_bottom, float scroll, float largest)
{
    float wanted = scroll;
    if (bottom > view_bottom) wanted += bottom - view_bottom;
    const float top_after = top - (wanted - scroll);
    if (top_after < view_top) wanted -= view_top - top_after;
    if (!std::isfinite(wanted)) wanted = scroll;
    return std::min(std::max(0.0f, wanted), std::max(largest, 0.0f));
}

HitTarget focus_after_scan(const HitTarget& focus, std::optional<size_t> selection,
                           std::optional<ListedEntries> old_entries, ListedEntries new_entries, const ViewShape& new_shape)
{
    // The card a focus on `index` of the old list lands on: the same certificate, else the one now at
    // its place.
    const auto card_for = [&](uint64_t index, HitTarget kept) -> HitTarget {
        if (new_entries.empty()) return target(HitKind::AddFolder);
        if (const std::optional<size_t> same = keep_selection(static_cast<size_t>(index), old_entries, new_entries)) {
            kept.index = *same;
            return kept;
        }
        return target(HitKind::Card, clamp_index(static_cast<size_t>(index), new_entries.size()));
    };
    switch (focus.kind) {
    case HitKind::Card:
    case HitKind::CardButton: return card_for(focus.index, focus);
    case HitKind::DetailRow:
    case HitKind::CopyAll:
    case HitKind::Close:
        if (new_shape.pane) {
            if (focus.kind != HitKind::DetailRow) return focus;
            if (new_shape.row_count == 0) return target(HitKind::CopyAll);
            return target(HitKind::DetailRow, clamp_index(static_cast<size_t>(focus.index), new_shape.row_count));
        }
        if (!selection) return HitTarget{};
        return card_for(*selection, target(HitKind::Card));
    case HitKind::CleanUp: return focusable(new_shape, focus) ? focus : target(HitKind::AddFolder);
    default: return focus;
    }
}
