#include "gfx/draw.h"

#include "base/text.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <d2d1_1helper.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr float k_layout_max_height = 1000;
constexpr float k_measure_width = 10000;
constexpr float k_icon_size_dip = 16;

D2D1_COLOR_F to_d2d(Colour c)
{
    return D2D1::ColorF(c.r, c.g, c.b, c.a);
}

D2D1_RECT_F to_d2d(const RectF& r)
{
    return D2D1::RectF(r.x, r.y, r.x + r.width, r.y + r.height);
}

IDWriteTextFormat* format_of(const Gfx& gfx, TextStyle style)
{
    const auto index = static_cast<size_t>(style);
    return index < gfx.text_formats.size() ? gfx.text_formats[index].Get() : nullptr;
}

// Vertical centring on a whole pixel; a layout without metrics is placed at the rectangle's top.
float centred_top(IDWriteTextLayout* layout, const RectF& rect)
{
    DWRITE_TEXT_METRICS metrics{};
    if (FAILED(layout->GetMetrics(&metrics))) return rect.y;
    return rect.y + round_half_away((rect.height - metrics.height) * 0.5f);
}

// A one-line layout of the text in a format; null when DirectWrite cannot make it.
ComPtr<IDWriteTextLayout> one_line_layout(const Gfx& gfx, const std::wstring& text, IDWriteTextFormat* format,
                                          float max_width)
{
    if (!format || !gfx.dwrite_factory) return nullptr;
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(gfx.dwrite_factory->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format,
                                                    std::max(max_width, 1.0f), k_layout_max_height, &layout))) {
        return nullptr;
    }
    // Below here a failure only loses the wrapping rule, the ellipsis or the alignment, never the text.
    layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    return layout;
}

}  // namespace

void fill_rect(const Gfx& gfx, const RectF& rect, Colour colour)
{
    gfx.brush->SetColor(to_d2d(colour));
    gfx.render_target->FillRectangle(to_d2d(rect), gfx.brush.Get());
}

void fill_round_rect(const Gfx& gfx, const RectF& rect, float radius, Colour colour)
{
    gfx.brush->SetColor(to_d2d(colour));
    gfx.render_target->FillRoundedRectangle(D2D1::RoundedRect(to_d2d(rect), radius, radius), gfx.brush.Get());
}

void stroke_rect(const Gfx& gfx, float left, float top, float right, float bottom, Colour colour, float width)
{
    gfx.brush->SetColor(to_d2d(colour));
    gfx.render_target->DrawRectangle(D2D1::RectF(left, top, right, bottom), gfx.brush.Get(), width, nullptr);
}

void outline_inside(const Gfx& gfx, const RectF& rect, Colour colour, float width)
{
    const float half = width * 0.5f;
    stroke_rect(gfx, rect.x + half, rect.y + half, rect.x + rect.width - half, rect.y + rect.height - half, colour, width);
}

void draw_focus_ring(const Gfx& gfx, const RectF& rect, Colour colour, float width, float gap)
{
    const float out = gap + width * 0.5f;  // the stroke is centred on the edge it is given
    stroke_rect(gfx, rect.x - out, rect.y - out, rect.x + rect.width + out, rect.y + rect.height + out, colour, width);
}

ComPtr<IDWriteTextLayout> make_text_layout(const Gfx& gfx, std::string_view text, float max_width,
                                           TextStyle style, bool centred)
{
    IDWriteTextFormat* format = format_of(gfx, style);
    ComPtr<IDWriteTextLayout> layout = one_line_layout(gfx, utf16_from_utf8(text), format, max_width);
    if (!layout) return nullptr;
    ComPtr<IDWriteInlineObject> ellipsis;
    if (SUCCEEDED(gfx.dwrite_factory->CreateEllipsisTrimmingSign(format, &ellipsis))) {
        const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
        layout->SetTrimming(&trimming, ellipsis.Get());
    }
    layout->SetTextAlignment(centred ? DWRITE_TEXT_ALIGNMENT_CENTER : DWRITE_TEXT_ALIGNMENT_LEADING);
    return layout;
}

float measure_text(const Gfx& gfx, std::string_view text, TextStyle style)
{
    const ComPtr<IDWriteTextLayout> layout = make_text_layout(gfx, text, k_measure_width, style, false);
    if (!layout) return 0;
    DWRITE_TEXT_METRICS metrics{};
    if (FAILED(layout->GetMetrics(&metrics))) return 0;
    return metrics.widthIncludingTrailingWhitespace;
}

void draw_text(const Gfx& gfx, std::string_view text, const RectF& rect, Colour colour, TextStyle style,
               bool centred)
{
    const ComPtr<IDWriteTextLayout> layout = make_text_layout(gfx, text, rect.width, style, centred);
    if (!layout) return;
    const float y = centred_top(layout.Get(), rect);
    gfx.brush->SetColor(to_d2d(colour));
    gfx.render_target->DrawTextLayout(D2D1::Point2F(rect.x, y), layout.Get(), gfx.brush.Get(),
                                      D2D1_DRAW_TEXT_OPTIONS_CLIP);
}

void draw_icon(const Gfx& gfx, std::string_view glyph, const RectF& rect, Colour colour, float factor)
{
    const std::wstring wide = utf16_from_utf8(glyph);
    const ComPtr<IDWriteTextLayout> layout = one_line_layout(gfx, wide, format_of(gfx, TextStyle::icon), rect.width);
    if (!layout) return;
    if (factor != 1.0f) {
        layout->SetFontSize(factor * gfx.scale * k_icon_size_dip,
                            DWRITE_TEXT_RANGE{0, static_cast<UINT32>(wide.size())});
    }
    layout->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
    const float y = centred_top(layout.Get(), rect);
    gfx.brush->SetColor(to_d2d(colour));
    gfx.render_target->DrawTextLayout(D2D1::Point2F(rect.x, y), layout.Get(), gfx.brush.Get(),
                                      D2D1_DRAW_TEXT_OPTIONS_NONE);
}
