#include "gfx/main_view.h"

#include "gfx/draw.h"
#include "gfx/palette.h"
#include "gfx/view_elements.h"
#include "gfx/view_text.h"
#include "i18n/catalogue.h"
#include "trust/issuer_check.h"
#include "x509/dates.h"
#include "x509/policy.h"

#include <algorithm>
#include <string>

namespace {

ToolbarLabels toolbar_labels(size_t expired)
{
    ToolbarLabels labels{std::string(tr({"폴더 추가", "Add folder"})), std::nullopt};
    if (expired > 0) labels.clean_up = clean_up_label(expired);
    return labels;
}

ListSummary summary_of(const ViewState& state, int64_t now)
{
    const std::vector<CertificateEntry>* whole = state.whole_entries();
    return whole ? list_summary(*whole, now) : ListSummary{};
}

void draw_scanning_line(const ViewState& state, const ViewMetrics& m, const Palette& palette)
{
    const double t = state.scan_started ? state.clock() - *state.scan_started : 0.0;
    const std::string text = scanning_text(t);
    draw_text(*state.gfx, text, scanning_line_rect(m), palette.text_secondary, TextStyle::title, true);
}

void draw_summary(const ViewState& state, const ViewMetrics& m, const Palette& palette,
                  const ListSummary& summary)
{
    const Gfx& gfx = *state.gfx;
    const SummaryRects rects = summary_rects(m, state.list_scroll);
    const size_t n = state.whole_entries()->size();
    draw_text(gfx, headline_of(state), rects.headline, palette.text, TextStyle::title, false);
    draw_text(gfx, summary_second_line(state.folders_checked, summary), rects.second_line, palette.text_secondary,
              TextStyle::body, false);

    if (n == 0) {
        draw_text(gfx, empty_list_hint(), rects.empty_hint, palette.text_secondary, TextStyle::body, false);
    } else if (state.listed_count() == 0) {
        // Certificates exist, but the query hides them all: say so where the first card would be.
        draw_text(gfx, no_match_text(state.filter.query), rects.empty_hint, palette.text_secondary, TextStyle::body,
                  false);
    }
}

RowButtonLabels row_button_labels()
{
    return {std::string(tr({"휴지통", "Recycle"})), std::string(tr({"폴더 열기", "Open folder"})),
            std::string(tr({"복사", "Copy"}))};
}

bool card_hovered(const HitTarget& hover, size_t index)
{
    return (hover.kind == HitKind::Card || hover.kind == HitKind::CardButton) && hover.index == index;
}

// A button's look in high contrast: no fill, an outline in the text colour, and a thicker outline in
// the hot-light colour while hovered (so that hover differs by more than colour).
void high_contrast_button(const Gfx& gfx, const RectF& rect, const Palette& palette, bool hovered)
{
    outline_inside(gfx, rect, hovered ? palette.hot : palette.text, hovered ? 2.0f : 1.0f);
}

// One certificate card. Expired certificates are dimmed (title, secondary text, icon and chip), but
// their buttons are not: they still act.
void draw_card(const ViewState& state, const ViewMetrics& m, const Palette& palette, size_t index, int64_t now,
               const RowButtonLabels& labels)
{
    const Gfx& gfx = *state.gfx;
    const float s = m.s;
    const CertificateEntry& entry = state.listed(index);
    const CertificateInfo& info = entry.info;
    const RectF card = card_rect(m, index, state.list_scroll);
    const Expiry expiry = expiry_of(info.not_after, now);
    const bool expired = expiry.state == ExpiryState::Expired;
    const StatusBadge badge = status_badge(expiry);
    const bool hc = palette.high_contrast;
    const Colour title_colour = expired ? translucent(palette, palette.text, 0.5f) : palette.text;
    const Colour muted = expired ? translucent(palette, palette.text_secondary, 0.7f) : palette.text_secondary;
    // In high contrast the badge's red or orange gives way to the text colour; its text says the state.
    const Colour badge_ink = hc ? palette.text : colour_of(badge.colour);
    const Colour tint = badge.drawn ? badge_ink : palette.accent;
    const bool hovered = card_hovered(state.hover, index);

    const std::string title = holder_name(info.subject_cn);
    const PolicyClass policy_class = classify_policies(info.policy_oids);
    const std::optional<Text> kind_label = holder_kind_label(policy_class.holder_kind);
    const std::string chip_label = kind_label ? std::string(tr(*kind_label)) : std::string();
    const std::vector<RowButton> buttons = row_buttons(s, card, measurer_of(state), labels);
    CardTextWidths widths;
    widths.badge = measure_text(gfx, badge.text, TextStyle::small);
    widths.title = measure_text(gfx, title, TextStyle::strong);
    if (kind_label) widths.chip = measure_text(gfx, chip_label, TextStyle::small);
    const std::optional<CardBadge> trust_label = card_badge(entry);
    const std::string trust_text_shown = trust_label ? std::string(tr(trust_label->text)) : std::string();
    if (trust_label) widths.trust_badge = measure_text(gfx, trust_text_shown, TextStyle::small);
    const CardLayout l = card_layout(s, card, widths, buttons);

    fill_round_rect(gfx, card, 10 * s, palette.surface);
    if (hc) {
        outline_inside(gfx, card, hovered ? palette.hot : palette.border, hovered ? 2.0f : 1.0f);
    } else {
        // A plain one-pixel rectangle on the pixel grid, not rounded: crisp at every scale.
        stroke_rect(gfx, card.x + 0.5f, card.y + 0.5f, card.x + card.width - 0.5f, card.y + card.height - 0.5f,
                    hovered ? with_alpha(palette.accent, 0.6f) : palette.border, 1);
    }

    if (!hc) fill_round_rect(gfx, l.icon_tile, 10 * s, with_alpha(tint, expired ? 0.08f : 0.14f));
    draw_icon(gfx, k_glyph_certificate, l.icon_tile, translucent(palette, tint, expired ? 0.6f : 1.0f), 1.25f);

    const Colour pill_ink = badge.drawn ? badge_ink : muted;
    if (hc) {
        outline_inside(gfx, l.pill, pill_ink, 1);
    } else {
        fill_round_rect(gfx, l.pill, 12 * s, badge.drawn ? with_alpha(badge_ink, 0.16f) : with_alpha(palette.text_secondary, 0.12f));
    }
    draw_text(gfx, badge.text, l.pill, pill_ink, TextStyle::small, true);

    draw_text(gfx, title, l.title, title_colour, TextStyle::strong, false);
    if (l.chip) {
        const Colour chip_ink = expired ? muted : palette.accent;
        if (hc) {
            outline_inside(gfx, *l.chip, chip_ink, 1);
        } else {
            fill_round_rect(gfx, *l.chip, 5 * s, with_alpha(palette.accent, expired ? 0.06f : 0.12f));
        }
        draw_text(gfx, chip_label, *l.chip, chip_ink, TextStyle::small, true);
    }
    if (l.trust_badge) {
        // Not dimmed with an expired card: a damaged, foreign or revoked file matters whatever its dates.
        // In high contrast the role colour gives way to the text colour; the words say it.
        const Colour role = trust_label->danger ? palette.danger : palette.warning;
        const Colour ink = hc ? palette.text : role;
        if (hc) {
            outline_inside(gfx, *l.trust_badge, ink, 1);
        } else {
            fill_round_rect(gfx, *l.trust_badge, 5 * s, with_alpha(role, 0.14f));
        }
        draw_text(gfx, trust_text_shown, *l.trust_badge, ink, TextStyle::small, true);
    }
    draw_text(gfx, card_second_line(entry), l.second_line,
              expiry.state == ExpiryState::ExpiringSoon ? palette.warning : muted, TextStyle::body, false);

    draw_icon(gfx, on_usb_drive(entry.copies) ? k_glyph_usb : k_glyph_hard_disk, l.location_glyph, muted, 0.8f);
    draw_text(gfx, location_line(entry.copies), l.location_text, muted, TextStyle::small, false);

    for (const RowButton& button : buttons) {
        const bool on_button = state.hover.kind == HitKind::CardButton && state.hover.index == index &&
                               state.hover.action == button.action;
        if (hc) {
            high_contrast_button(gfx, button.rect, palette, on_button);
        } else {
            fill_round_rect(gfx, button.rect, 6 * s, with_alpha(palette.text_secondary, on_button ? 0.20f : 0.10f));
        }
        const bool red = on_button && button.action == CardAction::Recycle;
        draw_text(gfx, button.label, button.rect, red ? palette.danger : palette.text, TextStyle::small, true);
    }
}

void draw_cards(const ViewState& state, const ViewMetrics& m, const Palette& palette, int64_t now)
{
    const CardRange range = visible_cards(m, state.listed_count(), state.list_scroll);
    if (range.first == range.last) return;
    const RowButtonLabels labels = row_button_labels();
    for (size_t i = range.first; i < range.last; ++i) draw_card(state, m, palette, i, now, labels);
}

void draw_header(const Gfx& gfx, const ViewMetrics& m, const Palette& palette)
{
    fill_rect(gfx, header_rect(m), palette.header);
    fill_rect(gfx, header_divider_rect(m), palette.border);
    draw_text(gfx, "Vessop", program_name_rect(m), palette.text, TextStyle::strong, false);
}

// The frame around the search field's edit control (a child window drawn by the system) and its clear
// button. The control fills the frame's inside with the same surface colour, so the two read as one.
void draw_search_frame(const ViewState& state, const ViewMetrics& m, const Palette& palette,
                       const SearchFieldLayout& field)
{
    if (!state.search_field) return;
    const Gfx& gfx = *state.gfx;
    const float s = m.s;
    fill_round_rect(gfx, field.frame, 6 * s, palette.surface);
    const bool active = state.search_focused;
    outline_inside(gfx, field.frame, active ? palette.accent : palette.border, active ? round_half_away(2 * s) : 1);
    if (state.filter.query.empty()) return;
    const bool hovered = state.hover.kind == HitKind::ClearSearch;
    if (hovered) {
        const RectF& c = field.clear;
        const float inset = round_half_away(4 * s);
        const RectF spot{c.x + inset, c.y + inset, c.width - 2 * inset, c.height - 2 * inset};
        if (palette.high_contrast) outline_inside(gfx, spot, palette.hot, 2);
        else fill_round_rect(gfx, spot, 4 * s, with_alpha(palette.text_secondary, 0.18f));
    }
    draw_icon(gfx, k_glyph_close, field.clear, palette.text_secondary, 0.75f);
}

void draw_toolbar(const ViewState& state, const ViewMetrics& m, const Palette& palette,
                  const std::vector<ToolbarItem>& items)
{
    const Gfx& gfx = *state.gfx;
    const float radius = 8 * m.s;
    // The refresh glyph turns accent while a rescan runs behind a list that is already shown.
    const bool rescanning = state.entries.has_value() && state.scan_started.has_value();
    const bool hc = palette.high_contrast;
    for (const ToolbarItem& item : items) {
        const bool hovered = state.hover.kind == item.kind;
        const bool icon = is_icon_label(item.label);
        if (item.kind == HitKind::AddFolder) {
            fill_round_rect(gfx, item.rect, radius, hovered ? translucent(palette, palette.accent, 0.85f) : palette.accent);
            if (hc && hovered) outline_inside(gfx, item.rect, palette.hot, 2);
            draw_text(gfx, item.label, item.rect, palette.on_accent, TextStyle::body, true);
            continue;
        }
        if (hc) {
            if (hovered || !icon) high_contrast_button(gfx, item.rect, palette, hovered);
        } else if (hovered) {
            fill_round_rect(gfx, item.rect, radius, with_alpha(palette.text_secondary, 0.18f));
        } else if (!icon) {
            fill_round_rect(gfx, item.rect, radius, with_alpha(palette.text_secondary, 0.10f));
        }
        if (icon) {
            const Colour colour = item.kind == HitKind::Refresh && rescanning ? palette.accent : palette.text;
            draw_icon(gfx, item.label, item.rect, colour, 1.0f);
        } else {
            draw_text(gfx, item.label, item.rect, item.kind == HitKind::CleanUp ? palette.danger : palette.text,
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

size_t expired_count(const ViewState& state)
{
    // Clean-up acts on every expired certificate, the ones a query hides included, and says so.
    const std::vector<CertificateEntry>* whole = state.whole_entries();
    if (!whole) return 0;
    const int64_t now = now_seconds();
    return static_cast<size_t>(std::count_if(whole->begin(), whole->end(),
                                             [now](const CertificateEntry& e) { return is_expired(e.info, now); }));
}

std::string headline_of(const ViewState& state)
{
    const std::vector<CertificateEntry>* whole = state.whole_entries();
    if (!whole) return {};
    if (state.filter.active) return filtered_headline(state.listed_count(), whole->size());
    return summary_headline(whole->size());
}

std::vector<ToolbarItem> toolbar_items(const ViewState& state)
{
    // Hit-testing asks on every mouse move: the expired count without the calendar work of the full
    // summary.
    return toolbar_items(view_metrics_of(state), measurer_of(state), toolbar_labels(expired_count(state)));
}

std::string row_button_label(CardAction action)
{
    RowButtonLabels labels = row_button_labels();
    switch (action) {
    case CardAction::Copy: return std::move(labels.copy);
    case CardAction::OpenFolder: return std::move(labels.open_folder);
    case CardAction::Recycle: return std::move(labels.recycle);
    }
    return {};
}

std::vector<RowButton> row_buttons(const ViewState& state, const RectF& card)
{
    return row_buttons(scale_of_dpi(state.dpi), card, measurer_of(state), row_button_labels());
}

SearchFieldLayout search_field_layout(const ViewMetrics& m, const MeasureText& measure,
                                     const std::vector<ToolbarItem>& items)
{
    const RectF name = program_name_rect(m);
    const float name_right = name.x + measure("Vessop", TextStyle::strong);
    const float toolbar_left = items.empty() ? m.width : items.back().rect.x;  // items run right to left
    return search_field_layout(m, name_right, toolbar_left);
}

SearchFieldLayout search_field_layout(const ViewState& state)
{
    return search_field_layout(view_metrics_of(state), measurer_of(state), toolbar_items(state));
}

float largest_list_scroll(const ViewState& state)
{
    const ViewMetrics m = view_metrics_of(state);
    return largest_list_scroll(state.listed_count(), m.s, m.height);
}

std::optional<ScrollBarGeometry> list_scroll_bar(const ViewState& state)
{
    if (!state.entries) return std::nullopt;
    const ViewMetrics m = view_metrics_of(state);
    return scroll_bar_geometry(m.s, m.width, m.header_height, m.height, m.height, largest_list_scroll(state),
                               state.list_scroll);
}

void draw_scroll_bar(const ViewState& state, const Palette& palette, const ScrollBarGeometry& bar, ScrollArea area)
{
    if (!state.gfx) return;
    const bool active = (area == ScrollArea::Detail) == state.selection.has_value();
    const bool held = state.thumb_drag && state.thumb_drag->area == area;
    const bool wide = held || (active && state.hover.kind == HitKind::ScrollBar);
    const float s = scale_of_dpi(state.dpi);
    const RectF thumb = thumb_drawn(bar, s, wide);
    // High contrast: the system's text colour, its highlight while in use; nothing translucent.
    const Colour colour = palette.high_contrast ? (wide ? palette.accent : palette.text)
                                                : with_alpha(palette.text_secondary, wide ? 0.6f : 0.35f);
    fill_round_rect(*state.gfx, thumb, thumb.width * 0.5f, colour);
}

void draw_main_view(ViewState& state)
{
    if (!state.gfx) return;
    const Gfx& gfx = *state.gfx;
    const ViewMetrics m = view_metrics_of(state);
    const Palette palette = palette_for(state.dark, state.high_contrast);
    // One reading of the clock per frame, so every count and badge of the frame agrees.
    const int64_t now = now_seconds();
    const ListSummary summary = summary_of(state, now);

    if (!state.entries) {
        draw_scanning_line(state, m, palette);
    } else {
        draw_summary(state, m, palette, summary);
        draw_cards(state, m, palette, now);
        // Before the header, which covers a card scrolled under it, ring and all.
        draw_focus_ring(state, palette, {HitKind::Card, HitKind::CardButton});
        if (const std::optional<ScrollBarGeometry> bar = list_scroll_bar(state))
            draw_scroll_bar(state, palette, *bar, ScrollArea::List);
    }
    draw_header(gfx, m, palette);
    const std::vector<ToolbarItem> items = toolbar_items(m, measurer_of(state), toolbar_labels(summary.expired));
    draw_toolbar(state, m, palette, items);
    draw_search_frame(state, m, palette, search_field_layout(m, measurer_of(state), items));
    if (state.focus_cues) {
        for (const ToolbarItem& item : items)
            if (item.kind == state.focus.kind) draw_focus_ring(state, palette, item.rect);
    }
}

void draw_focus_ring(const ViewState& state, const Palette& palette, std::initializer_list<HitKind> kinds)
{
    if (!state.gfx || !state.focus_cues) return;
    if (std::find(kinds.begin(), kinds.end(), state.focus.kind) == kinds.end()) return;
    if (const std::optional<RectF> rect = target_rect(state, state.focus)) draw_focus_ring(state, palette, *rect);
}

void draw_focus_ring(const ViewState& state, const Palette& palette, const RectF& rect)
{
    if (!state.gfx) return;
    const float s = scale_of_dpi(state.dpi);
    draw_focus_ring(*state.gfx, rect, palette.accent, round_half_away(2 * s), round_half_away(1 * s));
}

void draw_notice(ViewState& state)
{
    if (!state.gfx || !state.notice) return;
    const Gfx& gfx = *state.gfx;
    const ViewMetrics m = view_metrics_of(state);
    const float s = m.s;
    const RectF pill = notice_rect(m, measure_text(gfx, state.notice->text, TextStyle::body));
    const Palette palette = palette_for(state.dark, state.high_contrast);
    fill_round_rect(gfx, pill, 8 * s, palette.notice_fill);
    // A text laid out in exactly its measured width can lose its last letters to rounding: one pixel
    // of slack on each side, the text still centred in the pill.
    draw_text(gfx, state.notice->text, {pill.x + 16 * s - 1, pill.y, pill.width - 32 * s + 2, pill.height},
              palette.notice_text, TextStyle::body, true);
}
