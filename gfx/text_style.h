#pragma once

// The five text styles, in the order of Gfx::text_formats.

#include <cstdint>

enum class TextStyle : uint8_t {
    small = 0,   // badges, chips, row buttons, location line, detail hint
    body = 1,    // summary line, toolbar text buttons, detail rows, notice
    strong = 2,  // program name, row title
    title = 3,   // scanning line, summary headline, detail title
    icon = 4,    // glyphs of "Segoe MDL2 Assets"
};

inline constexpr int k_text_style_count = 5;

// Icon glyphs, each drawn as a one-character string.
inline constexpr char k_glyph_menu[] = "\xEE\x9C\x80";         // U+E700
inline constexpr char k_glyph_refresh[] = "\xEE\x9C\xAC";      // U+E72C
inline constexpr char k_glyph_certificate[] = "\xEE\xAE\x95";  // U+EB95
inline constexpr char k_glyph_hard_disk[] = "\xEE\xB6\xA2";    // U+EDA2
inline constexpr char k_glyph_usb[] = "\xEE\xA2\x8E";          // U+E88E
inline constexpr char k_glyph_close[] = "\xEE\x9C\x91";        // U+E711
