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
