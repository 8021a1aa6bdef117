#include "gfx/layout.h"

#include <algorithm>
#include <cmath>

float round_half_away(float v)
{
    return std::round(v);  // std::round already rounds halfway cases away from zero
}

float scale_of_dpi(uint32_t dpi)
{
    return static_cast<float>(std::max<uint32_t>(dpi, 96)) / 96.0f;
}

ViewMetrics view_metrics(float width, float height, uint32_t dpi)
{
    ViewMetrics m;
    m.s = scale_of_dpi(dpi);
    m.width = std::max(width, 0.0f);
    m.height = std::max(height, 0.0f);
    const float s = m.s;
    m.header_height = round_half_away(52 * s);
    const float narrow = m.width - 48 * s;
    m.content_width = std::isnan(narrow) ? 960 * s : std::min(960 * s, narrow);
    m.content_left = round_half_away((m.width - m.content_width) * 0.5f);
    m.row_height = round_half_away(96 * s);
    m.row_gap = round_half_away(10 * s);
    m.list_top = 100 * s + m.header_height;
    return m;
}

RectF header_rect(const ViewMetrics& m)
{
    return {0, 0, m.width, m.header_height};
}

RectF header_divider_rect(const ViewMetrics& m)
{
    return {0, m.header_height - 1, m.width, 1};
}

RectF program_name_rect(const ViewMetrics& m)
{
    return {18 * m.s, 0, 200 * m.s, m.header_height};
}

SearchFieldLayout search_field_layout(const ViewMetrics& m, float name_right, float toolbar_left)
{
    const float s = m.s;
    const float right = toolbar_left - 12 * s;
    const float left_limit = name_right + 16 * s;
    const float room = right - left_limit;
    float width = std::clamp(std::isfinite(room) ? room : 0.0f, 120 * s, 280 * s);
    if (right - width < name_right + 4 * s) width = std::max(right - name_right - 4 * s, 0.0f);
    const float height = round_half_away(32 * s);
    SearchFieldLayout layout;
    layout.frame = {round_half_away(right - width), round_half_away((m.header_height - height) * 0.5f),
                    round_half_away(width), height};
    const RectF& f = layout.frame;
    layout.clear = {f.x + f.width - f.height, f.y, std::min(f.height, f.width), f.height};
    const float edit_height = round_half_away(20 * s);
    const float inset = round_half_away(10 * s);
    layout.edit = {f.x + inset, f.y + round_half_away((f.height - edit_height) * 0.5f),
                   std::max(layout.clear.x - f.x - inset, 0.0f), edit_height};
    return layout;
}

RectF scanning_line_rect(const ViewMetrics& m)
{
    return {0, 0.5f * m.height - 20 * m.s, m.width, 40 * m.s};
}

SummaryRects summary_rects(const ViewMetrics& m, float list_scroll)
{
    const float s = m.s;
    const float headline_y = 22 * s + m.header_height - list_scroll;
    return {
        {m.content_left, headline_y, m.content_width, 40 * s},
        {m.content_left, headline_y + 42 * s, m.content_width, 26 * s},
        {m.content_left, 100 * s + m.header_height - list_scroll, m.content_width, 26 * s},
    };
}

float row_top(const ViewMetrics& m, size_t index, float list_scroll)
{
    return m.list_top + (m.row_gap + m.row_height) * static_cast<float>(index) - list_scroll;
}

RectF card_rect(const ViewMetrics& m, size_t index, float list_scroll)
{
    return {m.content_left, row_top(m, index, list_scroll), m.content_width, m.row_height};
}

CardRange visible_cards(const ViewMetrics& m, size_t count, float list_scroll)
{
    // A card is drawn unless it lies wholly under the header (its bottom above the header's lower edge)
    // or below the window (its top past the bottom edge). The estimate from the arithmetic is corrected
    // against that very test, so float rounding can never hide a card the per-card test would show.
    const auto shown = [&](size_t i) {
        const float y = row_top(m, i, list_scroll);
        return !(m.header_height > y + m.row_height) && !(y > m.height);
    };
    const float step = m.row_gap + m.row_height;
    if (count == 0 || !(step > 0) || !std::isfinite(list_scroll)) return {};
    const auto clamp_index = [count](double v) {
        if (!(v > 0)) return size_t{0};
        return v >= static_cast<double>(count) ? count : static_cast<size_t>(v);
    };
    size_t first = clamp_index(std::ceil((m.header_height - m.row_height - m.list_top + list_scroll) / step));
    while (first > 0 && shown(first - 1)) --first;
    while (first < count && !shown(first)) ++first;
    size_t last = clamp_index(std::floor((m.height - m.list_top + list_scroll) / step) + 1);
    last = std::max(last, first);
    while (last < count && shown(last)) ++last;
    while (last > first && !shown(last - 1)) --last;
    return {first, last};
}

float largest_list_scroll(size_t entry_count, float s, float client_height)
{
    if (entry_count == 0) return 0;
    const float header = round_half_away(52 * s);
    const float rh = round_half_away(96 * s);
    const float g = round_half_away(10 * s);
    const float content =
        100 * s + header + (g + rh) * static_cast<float>(entry_count - 1) + rh + 28 * s;
    const float largest = content - std::max(client_height, 0.0f);
    return largest > 0 ? largest : 0;
}

std::vector<ToolbarItem> toolbar_items(const ViewMetrics& m, const MeasureText& measure,
                                       const ToolbarLabels& labels)
{
    const float s = m.s;
    const float bh = round_half_away(36 * s);
    const float top = round_half_away((m.header_height - bh) * 0.5f);
    float right = m.width - 10 * s;
    std::vector<ToolbarItem> items;
    auto place = [&](HitKind kind, float w, std::string label) {
        items.push_back({kind, {right - w, top, w, bh}, std::move(label)});
        right = right - w - 6 * s;
    };
    place(HitKind::Menu, bh, k_glyph_menu);
    place(HitKind::Refresh, bh, k_glyph_refresh);
    place(HitKind::AddFolder, measure(labels.add_folder, TextStyle::body) + 30 * s, labels.add_folder);
    if (labels.clean_up) {
        place(HitKind::CleanUp, measure(*labels.clean_up, TextStyle::body) + 30 * s, *labels.clean_up);
    }
    return items;
}

bool is_icon_label(std::string_view label)
{
    // U+E000-U+F8FF is encoded as EE 80 80 .. EF A3 BF in UTF-8.
    if (label.size() < 3) return false;
    const auto b0 = static_cast<unsigned char>(label[0]);
    const auto b1 = static_cast<unsigned char>(label[1]);
    const auto b2 = static_cast<unsigned char>(label[2]);
    if ((b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return false;
    const char32_t c = (static_cast<char32_t>(b0 & 0x0F) << 12) | (static_cast<char32_t>(b1 & 0x3F) << 6) |
                       static_cast<char32_t>(b2 & 0x3F);
    return (b0 & 0xF0) == 0xE0 && c >= 0xE000 && c <= 0xF8FF;
}

std::vector<RowButton> row_buttons(float s, const RectF& card, const MeasureText& measure,
                                   const RowButtonLabels& labels)
{
    const float b = round_half_away(30 * s);
    float m = card.x + card.width - 14 * s;
    std::vector<RowButton> buttons;
    auto place = [&](CardAction action, const std::string& label) {
        const float bw = measure(label, TextStyle::small) + 24 * s;
        buttons.push_back({{m - bw, card.y + card.height - b - 12 * s, bw, b}, action, label});
        m = m - bw - 6 * s;
    };
    place(CardAction::Recycle, labels.recycle);
    place(CardAction::OpenFolder, labels.open_folder);
    place(CardAction::Copy, labels.copy);
    return buttons;
}

CardLayout card_layout(float s, const RectF& card, const CardTextWidths& widths, const std::vector<RowButton>& buttons)
{
    CardLayout l;
    const float x0 = card.x;
    const float y = card.y;
    l.icon_tile = {x0 + 16 * s, y + 16 * s, 40 * s, 40 * s};
    const float pill_width = widths.badge + 20 * s;
    l.pill = {x0 + card.width - 14 * s - pill_width, y + 14 * s, pill_width, 24 * s};
    const float tx = x0 + 72 * s;
    // Each small label after the title takes its text, 16 s of padding and the gap before it.
    float after_title = 0;
    if (widths.chip) after_title += *widths.chip + 26 * s;
    if (widths.trust_badge) after_title += *widths.trust_badge + (widths.chip ? 22 : 26) * s;
    float avail = std::max(l.pill.x - tx - std::max(100 * s, after_title + 24 * s), 40 * s);
    if (std::isnan(avail)) avail = 40 * s;
    float title_width = std::min(widths.title, avail);
    if (std::isnan(title_width)) title_width = avail;
    l.title = {tx, y + 12 * s, title_width + 2, 26 * s};
    float next = tx + title_width + 10 * s;
    if (widths.chip) {
        l.chip = RectF{next, y + 15 * s, *widths.chip + 16 * s, 20 * s};
        next = l.chip->x + l.chip->width + 6 * s;
    }
    if (widths.trust_badge) l.trust_badge = RectF{next, y + 15 * s, *widths.trust_badge + 16 * s, 20 * s};
    l.second_line = {tx, y + 40 * s, l.pill.x - tx - 12 * s, 22 * s};
    const float leftmost = buttons.empty() ? x0 + card.width : buttons.back().rect.x;
    l.location_glyph = {tx - 2 * s, y + 64 * s, 16 * s, 20 * s};
    l.location_text = {tx + 18 * s, y + 64 * s, leftmost - tx - 30 * s, 20 * s};
    return l;
}

DetailLayout detail_layout(const ViewMetrics& m, size_t row_count, float detail_scroll, float copy_all_width)
{
    const float s = m.s;
    const float hh = round_half_away(64 * s);
    const float fh = round_half_away(60 * s);
    const float rr = round_half_away(32 * s);
    // A bound that is not a number is ignored.
    const auto bounded = [](float value, float bound) { return std::isnan(bound) ? value : std::min(value, bound); };
    const float pw = bounded(780 * s, m.width - 40 * s);
    const float ph = bounded(rr * static_cast<float>(row_count) + hh + fh, m.height - 40 * s);
    const float px = round_half_away((m.width - pw) * 0.5f);
    float py = std::max(round_half_away((m.height - ph) * 0.5f), 20 * s);
    if (std::isnan(py)) py = 20 * s;
    const float top = py + hh;
    const float bw = copy_all_width + 32 * s;

    DetailLayout l;
    l.panel = {px, py, pw, ph};
    l.close_button = {px + pw - 48 * s, py + 14 * s, 36 * s, 36 * s};
    l.copy_all_button = {px + pw - bw - 16 * s, py + ph - 48 * s, bw, 36 * s};
    l.viewport = {px, top, pw, ph - hh - fh};
    l.label_width = std::min(190 * s, std::max(110 * s, 0.26f * pw));
    l.rows.reserve(row_count);
    for (size_t i = 0; i < row_count; ++i)
        l.rows.push_back({px + 12 * s, top + rr * static_cast<float>(i) - detail_scroll, pw - 24 * s, rr});
    return l;
}

float largest_detail_scroll(const ViewMetrics& m, const DetailLayout& layout)
{
    const float rr = round_half_away(32 * m.s);
    const float largest = rr * static_cast<float>(layout.rows.size()) - layout.viewport.height;
    return largest > 0 ? largest : 0;
}

bool detail_row_visible(const DetailLayout& layout, size_t row)
{
    if (row >= layout.rows.size()) return false;
    const RectF& r = layout.rows[row];
    const float viewport_bottom = layout.viewport.y + layout.viewport.height;
    return !(r.y >= viewport_bottom - 1) && !(r.y + r.height <= layout.viewport.y + 1);
}

int scanning_dot_count(double seconds_since_start)
{
    if (!std::isfinite(seconds_since_start)) return 1;
    // Mathematical modulo, so a clock step backwards still gives 1 to 3 dots.
    double step = std::fmod(std::floor(3 * seconds_since_start), 3.0);
    if (step < 0) step += 3;
    return 1 + static_cast<int>(step);
}

RectF notice_rect(const ViewMetrics& m, float text_width)
{
    const float s = m.s;
    const float nw = std::min(text_width + 32 * s, m.width - 32 * s);
    const float nx = round_half_away((m.width - nw) * 0.5f);
    return {nx, m.height - 64 * s, nw, 38 * s};
}
