#include "app/system_colours.h"

#include <windows.h>

bool high_contrast_on()
{
    HIGHCONTRASTW high_contrast{};
    high_contrast.cbSize = sizeof(high_contrast);
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(high_contrast), &high_contrast, 0)) return false;
    return (high_contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
