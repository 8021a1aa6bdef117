#pragma once

// Whether Windows runs a high-contrast theme, and the colours it sets.

#include "gfx/palette.h"

#include <optional>

// The system colours while high contrast is on (SPI_GETHIGHCONTRAST, then GetSysColor); none when it
// is off or cannot be read.
std::optional<SystemColours> read_high_contrast();
