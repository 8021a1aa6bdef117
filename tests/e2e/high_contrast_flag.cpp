// Vessop.exe for the high-contrast end-to-end test. Wine 8 answers SPI_GETHIGHCONTRAST with "off"
// whatever the prefix holds (its implementation is a stub), so this build links the program with a
// high_contrast_on() that reads the flag where Windows keeps it, in place of app/high_contrast_flag.cpp:
// HKCU "Control Panel\Accessibility\HighContrast" "Flags" (decimal text, HCF_HIGHCONTRASTON = 1).
// Everything else is the program itself: the system colours still come from GetSysColor, and the
// re-reads from WM_SETTINGCHANGE and WM_SYSCOLORCHANGE.

#include "app/system_colours.h"

#include <cwchar>

#include <windows.h>

bool high_contrast_on()
{
    wchar_t flags[32]{};
    DWORD size = sizeof(flags) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Accessibility\\HighContrast", L"Flags", RRF_RT_REG_SZ,
                     nullptr, flags, &size) != ERROR_SUCCESS)
        return false;
    return (std::wcstoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}
