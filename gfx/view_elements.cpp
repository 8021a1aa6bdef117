#include "gfx/view_elements.h"

#include "gfx/detail_pane.h"
#include "gfx/draw.h"
#include "gfx/main_view.h"
#include "gfx/view_text.h"
#include "i18n/catalogue.h"
#include "x509/dates.h"

#include <algorithm>

namespace {

std::optional<RectF> toolbar_rect(const ViewState& state, HitKind kind)
{
    for (const ToolbarItem& item : toolbar_items(state))
        if (item.kind == kind) return item.rect;
    return std::nullopt;
}

std::optional<RowButton> card_button(const ViewState& state, uint64_t index, CardAction action)
{
    const RectF card = card_rect(view_metrics_of(state), static_cast<size_t>(index), state.list_scroll);
    for (const RowButton& button : row_buttons(state, card))
        if (button.action == action) return button;
    return std::nullopt;
}

RectF united(const RectF& a, const RectF& b)
{
    const float left = std::min(a.x, b.x);
    const float top = std::min(a.y, b.y);
    const float right = std::max(a.x + a.width, b.x + b.width);
    const float bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

}  // namespace

ViewShape view_shape(const ViewState& state)
{
    ViewShape shape;
    shape.listed = state.entries.has_value();
    shape.card_count = state.listed_count();
    shape.clean_up = expired_count(state) > 0;
    if (state.selection && *state.selection < state.listed_count()) {
        shape.pane = state.selection;
        shape.row_count = detail_row_count(state.listed(*state.selection));
    }
    shape.notice = state.notice.has_value();
    return shape;
}

std::optional<RectF> element_rect(const ViewState& state, const ViewShape& shape, const ElementKey& key)
{
    if (!element_exists(shape, key)) return std::nullopt;
    const ViewMetrics m = view_metrics_of(state);
    // The pane's layout measures its texts: only its own elements need it.
    const auto pane = [&] { return detail_layout(state); };
    switch (key.kind) {
    case ElementKind::Window: return RectF{0, 0, m.width, m.height};
    case ElementKind::Menu: return toolbar_rect(state, HitKind::Menu);
    case ElementKind::Refresh: return toolbar_rect(state, HitKind::Refresh);
    case ElementKind::AddFolder: return toolbar_rect(state, HitKind::AddFolder);
    case ElementKind::CleanUp: return toolbar_rect(state, HitKind::CleanUp);
    case ElementKind::Scanning: return scanning_line_rect(m);
    case ElementKind::Summary: {
        const SummaryRects rects = summary_rects(m, state.list_scroll);
        return united(rects.headline, rects.second_line);
    }
    case ElementKind::List:
        return RectF{m.content_left, m.header_height, m.content_width, std::max(m.height - m.header_height, 0.0f)};
    case ElementKind::Card: return card_rect(m, static_cast<size_t>(key.index), state.list_scroll);
    case ElementKind::CardButton: {
        const std::optional<RowButton> button = card_button(state, key.index, key.action);
        return button ? std::optional(button->rect) : std::nullopt;
    }
    case ElementKind::Pane: {
        const std::optional<DetailLayout> layout = pane();
        return layout ? std::optional(layout->panel) : std::nullopt;
    }
    case ElementKind::DetailRow: {
        const std::optional<DetailLayout> layout = pane();
        return layout && key.index < layout->rows.size() ? std::optional(layout->rows[key.index]) : std::nullopt;
    }
    case ElementKind::CopyAll: {
        const std::optional<DetailLayout> layout = pane();
        return layout ? std::optional(layout->copy_all_button) : std::nullopt;
    }
    case ElementKind::Close: {
        const std::optional<DetailLayout> layout = pane();
        return layout ? std::optional(layout->close_button) : std::nullopt;
    }
    case ElementKind::Notice: {
        const float width = state.gfx ? measure_text(*state.gfx, state.notice->text, TextStyle::body) : 0.0f;
        return notice_rect(m, width);
    }
    }
    return std::nullopt;
}

std::optional<RectF> target_rect(const ViewState& state, const HitTarget& target)
{
    return element_rect(state, view_shape(state), element_of(target));
}

bool element_offscreen(const ViewState& state, const ViewShape& shape, const ElementKey& key)
{
    if (key.kind == ElementKind::DetailRow) {
        const std::optional<DetailLayout> pane = detail_layout(state);
        return pane && !detail_row_visible(*pane, static_cast<size_t>(key.index));
    }
    if (key.kind != ElementKind::Card && key.kind != ElementKind::CardButton) return false;
    const std::optional<RectF> rect = element_rect(state, shape, key);
    if (!rect) return false;
    const ViewMetrics m = view_metrics_of(state);
    return rect->y + rect->height <= m.header_height || rect->y >= m.height;
}

std::string element_name(const ViewState& state, const ViewShape& shape, const ElementKey& key, int64_t now)
{
    if (!element_exists(shape, key)) return {};
    switch (key.kind) {
    case ElementKind::Window: return "Vessop";
    case ElementKind::Menu: return std::string(tr({"메뉴", "Menu"}));
    case ElementKind::Refresh: return std::string(tr({"새로 고침", "Refresh"}));
    case ElementKind::AddFolder: return std::string(tr({"폴더 추가", "Add folder"}));
    case ElementKind::CleanUp: return clean_up_label(list_summary(*state.whole_entries(), now).expired);
    case ElementKind::Scanning: return std::string(tr({"공동인증서를 찾고 있습니다", "Looking for certificates"}));
    case ElementKind::Summary: {
        const std::vector<CertificateEntry>& whole = *state.whole_entries();
        std::string name = headline_of(state) + ", " +
                           spoken(summary_second_line(state.folders_checked, list_summary(whole, now)));
        // What is drawn below it.
        if (whole.empty()) name += ". " + empty_list_hint();
        else if (state.listed_count() == 0) name += ". " + no_match_text(state.filter.query);
        return name;
    }
    case ElementKind::List: return std::string(tr({"공동인증서 목록", "Certificate list"}));
    case ElementKind::Card: return card_spoken_name(state.listed(key.index), now);
    case ElementKind::CardButton: return row_button_label(key.action);
    case ElementKind::Pane: return holder_name(state.listed(*shape.pane).info.subject_cn);
    case ElementKind::DetailRow: {
        const std::vector<DetailRow> rows = detail_rows_for(state.listed(*shape.pane), now);
        return key.index < rows.size() ? row_spoken_name(rows[key.index]) : std::string();
    }
    case ElementKind::CopyAll: return std::string(copy_all_label());
    case ElementKind::Close: return std::string(tr({"닫기", "Close"}));
    case ElementKind::Notice: return state.notice->text;
    }
    return {};
}

ScrollOffsets scroll_showing(const ViewState& state, const HitTarget& focus)
{
    ScrollOffsets offsets{state.list_scroll, state.detail_scroll};
    const std::optional<RectF> rect = target_rect(state, focus);
    if (!rect) return offsets;
    if (focus.kind == HitKind::DetailRow) {
        const std::optional<DetailLayout> pane = detail_layout(state);
        if (!pane) return offsets;
        const RectF& view = pane->viewport;
        offsets.detail = scroll_to_show(rect->y, rect->y + rect->height, view.y, view.y + view.height,
                                        state.detail_scroll, largest_detail_scroll(state));
    } else if (focus.kind == HitKind::Card || focus.kind == HitKind::CardButton) {
        // The whole card, a gap clear of the header and of the bottom edge.
        const ViewMetrics m = view_metrics_of(state);
        const RectF card = card_rect(m, static_cast<size_t>(focus.index), state.list_scroll);
        offsets.list = scroll_to_show(card.y, card.y + card.height, m.header_height + m.row_gap, m.height - m.row_gap,
                                      state.list_scroll, largest_list_scroll(state));
    }
    return offsets;
}
