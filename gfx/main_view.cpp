#include "gfx/main_view.h"

#include "gfx/draw.h"
#include "gfx/palette.h"
#include "gfx/view_text.h"
#include "i18n/catalogue.h"
#include "x509/dates.h"

#include <algorithm>
#include <string>

namespace {

ToolbarLabels toolbar_labels(size_t expired)
{
    ToolbarLabels labels{std::string(tr({"폴더 추가", "Add folder"})), std::nullopt};
    if (expired > 0) labels.clean_up = clean_up_label(expired);
    return labels;
}

ExpirySummary summary_of(const ViewState& state, int64_t now)
{
    return state.entries ? expiry_summary(*state.entries, now) : ExpirySummary{};
}

void draw_scanning_line(const ViewState& state, const ViewMetrics& m, const Palette& palette)
{
    const double t = state.scan_started ? state.clock() - *state.scan_started : 0.0;
    const std::string text = scanning_text(t);
    draw_text(*state.gfx, text, scanning_line_rect(m), palette.text_secondary, TextStyle::title, true);
}

void draw_summary(const ViewState& state, const ViewMetrics& m, const Palette& palette,
                  const ExpirySummary& summary)
{
    const Gfx& gfx = *state.gfx;
    const SummaryRects rects = summary_rects(m, state.list_scroll);
    const size_t n = state.entries->size();
    draw_text(gfx, summary_headline(n), rects.headline, palette.text, TextStyle::title, false);
    draw_text(gfx, summary_second_line(state.folders_checked, summary), rects.second_line, palette.text_secondary,
              TextStyle::body, false);

    if (n == 0) {
        draw_text(gfx,
                  tr({"USB 에 든 인증서는 USB 를 꽂으면 바로 나타납니다. 다른 곳에 둔 인증서는 '폴더 추가' 로 넣으세요.",
                      "Certificates on a USB drive show up as soon as you plug it in. For other places, use 'Add "
                      "folder'."}),
                  rects.empty_hint, palette.text_secondary, TextStyle::body, false);
    }
}

void draw_header(const Gfx& gfx, const ViewMetrics& m, const Palette& palette)
{
    fill_rect(gfx, header_rect(m), palette.header);
    fill_rect(gfx, header_divider_rect(m), palette.border);
    draw_text(gfx, "Vessop", program_name_rect(m), palette.text, TextStyle::strong, false);
}

void draw_toolbar(const ViewState& state, const ViewMetrics& m, const Palette& palette,
                  const std::vector<ToolbarItem>& items)
{
    const Gfx& gfx = *state.gfx;
    const float radius = 8 * m.s;
    // The refresh glyph turns accent while a rescan runs behind a list that is already shown.
    const bool rescanning = state.entries.has_value() && state.scan_started.has_value();
    for (const ToolbarItem& item : items) {
        const bool hovered = state.hover.kind == item.kind;
        const bool icon = is_icon_label(item.label);
        if (item.kind == HitKind::AddFolder) {
            fill_round_rect(gfx, item.rect, radius, hovered ? with_alpha(palette.accent, 0.85f) : palette.accent);
            draw_text(gfx, item.label, item.rect, k_on_accent, TextStyle::body, true);
            continue;
        }
        if (hovered) {
            fill_round_rect(gfx, item.rect, radius, with_alpha(palette.text_secondary, 0.18f));
        } else if (!icon) {
            fill_round_rect(gfx, item.rect, radius, with_alpha(palette.text_secondary, 0.10f));
        }
        if (icon) {
            const Colour colour = item.kind == HitKind::Refresh && rescanning ? palette.accent : palette.text;
            draw_icon(gfx, item.label, item.rect, colour, 1.0f);
        } else {
            draw_text(gfx, item.label, item.rect, item.kind == HitKind::CleanUp ? k_danger : palette.text,
                      TextStyle::body, true);
        }
    }
}

}  // namespace

ViewMetrics view_metrics_of(const ViewState& state)
{
    RECT rc{};
    if (!state.hwnd || !GetClientRect(state.hwnd, &rc)) rc = RECT{};
    return view_metrics(static_cast<float>(rc.right - rc.left), static_cast<float>(rc.bottom - rc.top), state.dpi);
}

MeasureText measurer_of(const ViewState& state)
{
    const Gfx* gfx = state.gfx ? &*state.gfx : nullptr;
    return [gfx](std::string_view text, TextStyle style) { return gfx ? measure_text(*gfx, text, style) : 0.0f; };
}

std::vector<ToolbarItem> toolbar_items(const ViewState& state)
{
    // Hit-testing asks on every mouse move: count the expired entries without the calendar work of
    // the full summary.
    size_t expired = 0;
    if (state.entries) {
        const int64_t now = now_seconds();
        expired = static_cast<size_t>(std::count_if(state.entries->begin(), state.entries->end(),
                                                    [now](const CertificateEntry& e) { return is_expired(e.info, now); }));
    }
    return toolbar_items(view_metrics_of(state), measurer_of(state), toolbar_labels(expired));
}

std::vector<RowButton> row_buttons(const ViewState& state, const RectF& card)
{
    const RowButtonLabels labels{std::string(tr({"휴지통", "Recycle"})), std::string(tr({"폴더 열기", "Open folder"})),
                                 std::string(tr({"복사", "Copy"}))};
    return row_buttons(scale_of_dpi(state.dpi), card, measurer_of(state), labels);
}

float largest_list_scroll(const ViewState& state)
{
    const ViewMetrics m = view_metrics_of(state);
    return largest_list_scroll(state.entries ? state.entries->size() : 0, m.s, m.height);
}

void draw_main_view(ViewState& state)
{
    if (!state.gfx) return;
    const Gfx& gfx = *state.gfx;
    const ViewMetrics m = view_metrics_of(state);
    const Palette& palette = palette_for(state.dark);
    // One reading of the clock per frame, so every count and badge of the frame agrees.
    const ExpirySummary summary = summary_of(state, now_seconds());

    if (!state.entries) {
        draw_scanning_line(state, m, palette);
    } else {
        draw_summary(state, m, palette, summary);
    }
    draw_header(gfx, m, palette);
    draw_toolbar(state, m, palette, toolbar_items(m, measurer_of(state), toolbar_labels(summary.expired)));
}

void draw_notice(ViewState& state)
{
    if (!state.gfx || !state.notice) return;
    const Gfx& gfx = *state.gfx;
    const ViewMetrics m = view_metrics_of(state);
    const float s = m.s;
    const RectF pill = notice_rect(m, measure_text(gfx, state.notice->text, TextStyle::body));
    fill_round_rect(gfx, pill, 8 * s, k_notice_fill);
    draw_text(gfx, state.notice->text, {pill.x + 16 * s, pill.y, pill.width - 32 * s, pill.height}, k_on_accent,
              TextStyle::body, true);
}
