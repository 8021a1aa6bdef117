#pragma once

// The two colour palettes, the colours shared by both themes and the palette made of the system's
// high-contrast colours. Pure values: the frame picks a palette afresh from `dark` and the high-contrast
// colours every time it paints, so a theme change needs no resource rebuild.

#include "x509/dates.h"

#include <optional>

struct Colour {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1;
    bool operator==(const Colour&) const = default;
};

// Red, green and blue out of 255, as Direct2D's floats.
constexpr Colour rgb255(int r, int g, int b, float a = 1.0f)
{
    return Colour{static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
                  static_cast<float>(b) / 255.0f, a};
}

// The same colour with its alpha replaced (not multiplied): a role "at alpha 0.18" means exactly that.
constexpr Colour with_alpha(Colour c, float a)
{
    c.a = a;
    return c;
}

constexpr Colour colour_of(BadgeColour c)
{
    return Colour{c.red, c.green, c.blue, c.alpha};
}

// The same in both themes; the notice keeps its dark fill on the light theme too. Danger and warning
// are the expired and expiring-soon badge colours.
inline constexpr Colour k_danger = colour_of(k_expired_colour);
inline constexpr Colour k_warning = colour_of(k_soon_colour);
inline constexpr Colour k_on_accent = rgb255(255, 255, 255);
inline constexpr Colour k_scrim = rgb255(0, 0, 0, 0.38f);
inline constexpr Colour k_notice_fill = rgb255(17, 18, 20, 0.92f);

struct Palette {
    Colour background;      // clear colour of every frame
    Colour header;          // header bar
    Colour surface;         // cards, detail panel
    Colour text;            // titles, values, button text
    Colour text_secondary;  // secondary lines; at low alpha, button and hover fills
    Colour border;          // outlines, dividers
    Colour accent;          // primary button, icons, chips, hover outline, focus ring
    Colour on_accent = k_on_accent;  // text on accent fills
    Colour danger = k_danger;
    Colour warning = k_warning;
    Colour notice_fill = k_notice_fill;
    Colour notice_text = k_on_accent;
    Colour hot = rgb255(0, 0, 0);  // hovered outlines; used in high contrast only
    // The system's high-contrast colours: no translucent fills (they would mix colours the user did not
    // choose); hover shows as a thicker outline, so that it differs by more than colour.
    bool high_contrast = false;
};

inline constexpr Palette k_light_palette{
    rgb255(242, 244, 247), rgb255(255, 255, 255), rgb255(255, 255, 255), rgb255(22, 24, 29),
    rgb255(107, 114, 128), rgb255(227, 230, 234), rgb255(13, 148, 136),
};

inline constexpr Palette k_dark_palette{
    rgb255(23, 24, 27),    rgb255(34, 35, 39),    rgb255(31, 33, 37), rgb255(236, 237, 239),
    rgb255(156, 160, 168), rgb255(51, 53, 59),    rgb255(45, 212, 191),
};

// The colours a high-contrast theme sets (GetSysColor of COLOR_WINDOW, COLOR_WINDOWTEXT, …).
struct SystemColours {
    Colour window;
    Colour window_text;
    Colour highlight;
    Colour highlight_text;
    Colour button_face;
    Colour gray_text;
    Colour hot_light;
    bool operator==(const SystemColours&) const = default;
};

// The palette made of the system's colours: window for the background and surfaces, window text for
// text, outlines and the states that were red or orange (their badge texts say which), gray text for
// secondary text, highlight and highlight text for accent fills, the notice and the focus ring, button
// face for the header, hot-light for hover.
constexpr Palette high_contrast_palette(const SystemColours& c)
{
    Palette p{c.window, c.button_face, c.window, c.window_text, c.gray_text, c.window_text, c.highlight};
    p.on_accent = c.highlight_text;
    p.danger = c.window_text;
    p.warning = c.window_text;
    p.notice_fill = c.highlight;
    p.notice_text = c.highlight_text;
    p.hot = c.hot_light;
    p.high_contrast = true;
    return p;
}

constexpr Palette palette_for(bool dark, const std::optional<SystemColours>& high_contrast = std::nullopt)
{
    if (high_contrast) return high_contrast_palette(*high_contrast);
    return dark ? k_dark_palette : k_light_palette;
}

// A role at a lower alpha, except in high contrast, where every colour stays as the user chose it.
constexpr Colour translucent(const Palette& palette, Colour c, float a)
{
    return palette.high_contrast ? c : with_alpha(c, a);
}

