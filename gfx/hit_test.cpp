#include "gfx/hit_test.h"

#include "gfx/main_view.h"

HitTarget hit_test_toolbar(const std::vector<ToolbarItem>& items, float x, float y)
{
    for (const ToolbarItem& item : items) {
        if (item.rect.contains(x, y)) return HitTarget{item.kind, CardAction::Copy, 0};
    }
    return HitTarget{};
}

HitTarget hit_test(const ViewState& state, float x, float y)
{
    return hit_test_toolbar(toolbar_items(state), x, y);
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
