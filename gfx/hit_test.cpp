#include "gfx/hit_test.h"

#include "gfx/detail_pane.h"
#include "gfx/main_view.h"

#include <cmath>
#include <optional>

namespace {

HitTarget hit(HitKind kind, uint64_t index = 0, CardAction action = CardAction::Copy)
{
    return HitTarget{kind, action, index};
}

}  // namespace

HitTarget hit_test_pane(const DetailLayout& pane, float x, float y)
{
    if (pane.close_button.contains(x, y)) return hit(HitKind::Close);
    if (pane.copy_all_button.contains(x, y)) return hit(HitKind::CopyAll);
    if (!pane.panel.contains(x, y)) return hit(HitKind::Outside);
    if (pane.viewport.contains(x, y)) {
        for (size_t i = 0; i < pane.rows.size(); ++i)
            if (pane.rows[i].contains(x, y)) return hit(HitKind::DetailRow, i);
    }
    return hit(HitKind::Pane);
}

HitTarget hit_test_cards(const ViewMetrics& m, size_t count, float list_scroll, float x, float y,
                         const ButtonsOfCard& buttons_of)
{
    // Cards never overlap, so only the card whose slot the point falls in (or a neighbour, against
    // float rounding) can contain it: a list of thousands costs no more than a short one.
    if (!(y >= m.header_height)) return {};  // under the header a card answers only in its visible part
    const float step = m.row_gap + m.row_height;
    const double slot = std::floor((y - m.list_top + list_scroll) / step);
    if (!std::isfinite(slot) || slot < -1 || slot > static_cast<double>(count)) return {};
    const int64_t centre = static_cast<int64_t>(slot);
    for (int64_t i = centre - 1; i <= centre + 1; ++i) {
        if (i < 0 || i >= static_cast<int64_t>(count)) continue;
        const size_t index = static_cast<size_t>(i);
        const RectF card = card_rect(m, index, list_scroll);
        if (!card.contains(x, y)) continue;
        for (const RowButton& button : buttons_of(card))  // recycle, open folder, copy
            if (button.rect.contains(x, y)) return hit(HitKind::CardButton, index, button.action);
        return hit(HitKind::Card, index);
    }
    return {};
}

HitTarget hit_test_toolbar(const std::vector<ToolbarItem>& items, float x, float y)
{
    for (const ToolbarItem& item : items) {
        if (item.rect.contains(x, y)) return hit(item.kind);
    }
    return HitTarget{};
}

HitTarget hit_test(const ViewState& state, float x, float y)
{
    // A scroll bar comes before whatever lies under it.
    const auto on_bar = [x, y](const std::optional<ScrollBarGeometry>& bar) { return bar && bar->track.contains(x, y); };
    if (const std::optional<DetailLayout> pane = detail_layout(state)) {
        if (on_bar(detail_scroll_bar(state, *pane))) return hit(HitKind::ScrollBar);
        return hit_test_pane(*pane, x, y);
    }
    const std::vector<ToolbarItem> items = toolbar_items(state);
    const HitTarget toolbar = hit_test_toolbar(items, x, y);
    if (toolbar.kind != HitKind::None) return toolbar;
    if (state.search_field && !state.filter.query.empty() &&
        search_field_layout(view_metrics_of(state), measurer_of(state), items).clear.contains(x, y))
        return hit(HitKind::ClearSearch);
    if (state.listed_count() == 0) return {};
    if (on_bar(list_scroll_bar(state))) return hit(HitKind::ScrollBar);
    return hit_test_cards(view_metrics_of(state), state.listed_count(), state.list_scroll, x, y,
                          [&](const RectF& card) { return row_buttons(state, card); });
}

bool same_hover(const HitTarget& before, const HitTarget& after)
{
    if (before.kind != after.kind) return false;
    switch (before.kind) {
    case HitKind::Card:
    case HitKind::DetailRow: return before.index == after.index;
    case HitKind::CardButton: return before.index == after.index && before.action == after.action;
    default: return true;
    }
}
