#include "gfx/detail_pane.h"

#include "gfx/draw.h"
#include "gfx/main_view.h"
#include "gfx/palette.h"
#include "gfx/view_text.h"
#include "i18n/catalogue.h"
#include "i18n/language.h"
#include "x509/dates.h"

#include <string>

namespace {

size_t row_count(const ViewState& state)
{
    if (!state.selection || *state.selection >= state.listed_count()) return 0;
    return detail_row_count(state.listed(*state.selection));
}

}  // namespace

std::vector<DetailRow> detail_rows(const ViewState& state, size_t index)
{
    if (index >= state.listed_count()) return {};
    return detail_rows_for(state.listed(index), now_seconds(), &tr, current_language(), state.revocation_checking);
}

std::optional<DetailLayout> detail_layout(const ViewState& state)
{
    if (!state.selection || !state.gfx) return std::nullopt;
    return detail_layout(view_metrics_of(state), row_count(state), state.detail_scroll,
                         measure_text(*state.gfx, copy_all_label(), TextStyle::body));
}

float largest_detail_scroll(const ViewState& state)
{
    const std::optional<DetailLayout> layout = detail_layout(state);
    return layout ? largest_detail_scroll(view_metrics_of(state), *layout) : 0.0f;
}

std::optional<ScrollBarGeometry> detail_scroll_bar(const ViewState& state, const DetailLayout& layout)
{
    const ViewMetrics m = view_metrics_of(state);
    const RectF& v = layout.viewport;
    return scroll_bar_geometry(m.s, v.x + v.width, v.y, v.y + v.height, v.height, largest_detail_scroll(m, layout),
                               state.detail_scroll);
}

std::optional<ScrollBarGeometry> detail_scroll_bar(const ViewState& state)
{
    const std::optional<DetailLayout> layout = detail_layout(state);
    return layout ? detail_scroll_bar(state, *layout) : std::nullopt;
}

std::optional<ShownScrollBar> shown_scroll_bar(const ViewState& state)
{
    if (state.selection) {
        if (const std::optional<ScrollBarGeometry> bar = detail_scroll_bar(state))
            return ShownScrollBar{ScrollArea::Detail, *bar};
        return std::nullopt;  // the list's bar lies under the scrim
    }
    if (const std::optional<ScrollBarGeometry> bar = list_scroll_bar(state)) return ShownScrollBar{ScrollArea::List, *bar};
    return std::nullopt;
}

void draw_detail_pane(ViewState& state)
{
    const std::optional<DetailLayout> layout = detail_layout(state);
    if (!layout || *state.selection >= state.listed_count()) return;
    const Gfx& gfx = *state.gfx;
    const ViewMetrics m = view_metrics_of(state);
    const float s = m.s;
    const Palette palette = palette_for(state.dark, state.high_contrast);
    const CertificateEntry& entry = state.listed(*state.selection);
    const DetailLayout& l = *layout;
    const RectF& panel = l.panel;

    const bool hc = palette.high_contrast;
    // In high contrast nothing is dimmed (that would mix a colour the user did not choose); an outline
    // sets the panel apart instead.
    if (!hc) fill_rect(gfx, {0, 0, m.width, m.height}, k_scrim);
    fill_round_rect(gfx, panel, 12 * s, palette.surface);
    if (hc) outline_inside(gfx, panel, palette.text, 2);
    draw_text(gfx, holder_name(entry.info.subject_cn), {panel.x + 24 * s, panel.y + 14 * s, panel.width - 90 * s, 36 * s},
              palette.text, TextStyle::title, false);
    if (state.hover.kind == HitKind::Close) {
        if (hc) {
            outline_inside(gfx, l.close_button, palette.hot, 2);
        } else {
            fill_round_rect(gfx, l.close_button, 8 * s, with_alpha(palette.text_secondary, 0.18f));
        }
    }
    draw_icon(gfx, k_glyph_close, l.close_button, palette.text, 1.0f);

    const std::vector<DetailRow> rows = detail_rows(state, *state.selection);
    for (size_t i = 0; i < rows.size() && i < l.rows.size(); ++i) {
        // A row that reaches more than a pixel into the viewport is drawn whole.
        if (!detail_row_visible(l, i)) continue;
        const RectF& r = l.rows[i];
        const bool row_hovered = state.hover.kind == HitKind::DetailRow && state.hover.index == i;
        if (row_hovered && !hc) fill_round_rect(gfx, r, 6 * s, with_alpha(palette.text_secondary, 0.09f));
        if (i > 0) fill_rect(gfx, {r.x + 6 * s, r.y, r.width - 12 * s, 1}, translucent(palette, palette.border, 0.7f));
        if (row_hovered && hc) outline_inside(gfx, r, palette.hot, 2);
        draw_text(gfx, rows[i].label, {r.x + 10 * s, r.y, l.label_width - 14 * s, r.height}, palette.text_secondary,
                  TextStyle::body, false);
        draw_text(gfx, rows[i].value, {r.x + l.label_width, r.y, r.width - l.label_width - 10 * s, r.height},
                  palette.text, TextStyle::body, false);
    }

    if (const std::optional<ScrollBarGeometry> bar = detail_scroll_bar(state, l))
        draw_scroll_bar(state, palette, *bar, ScrollArea::Detail);

    const float viewport_bottom = l.viewport.y + l.viewport.height;
    fill_rect(gfx, {panel.x + 4 * s, viewport_bottom, panel.width - 8 * s, 1}, palette.border);
    const RectF& copy_all = l.copy_all_button;
    draw_text(gfx, tr({"줄을 누르면 그 값을 복사합니다", "Click a row to copy its value"}),
              {panel.x + 24 * s, copy_all.y, copy_all.x - panel.x - 36 * s, 36 * s}, palette.text_secondary,
              TextStyle::small, false);
    const bool copy_all_hovered = state.hover.kind == HitKind::CopyAll;
    fill_round_rect(gfx, copy_all, 8 * s, copy_all_hovered ? translucent(palette, palette.accent, 0.85f) : palette.accent);
    if (hc && copy_all_hovered) outline_inside(gfx, copy_all, palette.hot, 2);
    draw_text(gfx, copy_all_label(), copy_all, palette.on_accent, TextStyle::body, true);
    draw_focus_ring(state, palette, {HitKind::DetailRow, HitKind::CopyAll, HitKind::Close});
}
