#pragma once

// The two colour palettes and the colours shared by both themes. Pure values: the frame picks a
// palette afresh from `dark` every time it paints, so a theme change needs no resource rebuild.

#include "x509/dates.h"

struct Colour {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1;
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

struct Palette {
    Colour background;      // clear colour of every frame
    Colour header;          // header bar
    Colour surface;         // cards, detail panel
    Colour text;            // titles, values, button text
    Colour text_secondary;  // secondary lines; at low alpha, button and hover fills
    Colour border;          // outlines, dividers
    Colour accent;          // primary button, icons, chips, hover outline
};

inline constexpr Palette k_light_palette{
    rgb255(242, 244, 247), rgb255(255, 255, 255), rgb255(255, 255, 255), rgb255(22, 24, 29),
    rgb255(107, 114, 128), rgb255(227, 230, 234), rgb255(13, 148, 136),
};

inline constexpr Palette k_dark_palette{
    rgb255(23, 24, 27),    rgb255(34, 35, 39),    rgb255(31, 33, 37), rgb255(236, 237, 239),
    rgb255(156, 160, 168), rgb255(51, 53, 59),    rgb255(45, 212, 191),
};

constexpr const Palette& palette_for(bool dark)
{
    return dark ? k_dark_palette : k_light_palette;
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
