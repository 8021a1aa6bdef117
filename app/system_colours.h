#pragma once

// Whether Windows runs a high-contrast theme, and the colours it sets.

#include "gfx/palette.h"

#include <optional>

// SPI_GETHIGHCONTRAST's HCF_HIGHCONTRASTON; off when it cannot be read.
bool high_contrast_on();

// The system colours (GetSysColor) while high contrast is on; none when it is off.
std::optional<SystemColours> read_high_contrast();
