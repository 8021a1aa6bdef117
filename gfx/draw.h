#pragma once

// The few drawing operations every view is built from. Each sets the one brush's colour right before
// it draws; text is always a single line, cut with an ellipsis at its rectangle's width.

#include "gfx/direct2d.h"
#include "gfx/layout.h"
#include "gfx/palette.h"
#include "gfx/text_style.h"

#include <string_view>

#include <dwrite.h>
#include <wrl/client.h>

void fill_rect(const Gfx& gfx, const RectF& rect, Colour colour);
void fill_round_rect(const Gfx& gfx, const RectF& rect, float radius, Colour colour);
// A rectangle outline through the given edges (not x, y, width, height).
void stroke_rect(const Gfx& gfx, float left, float top, float right, float bottom, Colour colour,
                 float width);
// An outline of the given width lying wholly inside the rectangle.
void outline_inside(const Gfx& gfx, const RectF& rect, Colour colour, float width);
// The keyboard focus ring: `width` wide, `gap` clear of the rectangle on every side, so that it shows
// also around a button filled in the ring's own colour.
void draw_focus_ring(const Gfx& gfx, const RectF& rect, Colour colour, float width, float gap);

// A one-line layout that ends in "…" past max_width; null when DirectWrite cannot make it.
Microsoft::WRL::ComPtr<IDWriteTextLayout> make_text_layout(const Gfx& gfx, std::string_view text,
                                                          float max_width, TextStyle style, bool centred);
// Width including trailing white space; 0 when the text cannot be laid out.
float measure_text(const Gfx& gfx, std::string_view text, TextStyle style);
// Vertically centred on a whole pixel, left-aligned or centred, clipped to the rectangle.
void draw_text(const Gfx& gfx, std::string_view text, const RectF& rect, Colour colour, TextStyle style,
               bool centred);
// A glyph centred in the rectangle; factor scales the icon size (1 = 16 DIP × scale).
void draw_icon(const Gfx& gfx, std::string_view glyph, const RectF& rect, Colour colour, float factor);
