#include "app/system_colours.h"

#include <windows.h>

namespace {

Colour system_colour(int index)
{
    const COLORREF c = GetSysColor(index);
    return rgb255(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

std::optional<SystemColours> read_high_contrast()
{
    if (!high_contrast_on()) return std::nullopt;
    return SystemColours{system_colour(COLOR_WINDOW),     system_colour(COLOR_WINDOWTEXT),
                         system_colour(COLOR_HIGHLIGHT),  system_colour(COLOR_HIGHLIGHTTEXT),
                         system_colour(COLOR_BTNFACE),    system_colour(COLOR_GRAYTEXT),
                         system_colour(COLOR_HOTLIGHT)};
}
