#pragma once

// The shell's own settings on top of the settings store: the window placement, the update schedule
// and Windows' light or dark app mode. Formats are in app/settings_format.h.

#include "app/settings_format.h"
#include "base/settings_store.h"

#include <cstdint>
#include <optional>

#include <windows.h>

// "AutoUpdate": on when missing or non-zero; the toggle stores exactly 0 or 1.
bool read_auto_update();
void write_auto_update(bool on);

// "Reminders": on when missing or non-zero, like "AutoUpdate".
bool read_reminders();
void write_reminders(bool on);

// "RevocationConsent": the user agreed once that the issuers' servers may be asked; only exactly 1
// counts (a missing or odd value asks again: the box costs a click, a wrong yes contacts servers).
bool read_revocation_consent();
void write_revocation_consent();

// "Placement": only a REG_BINARY of exactly 44 bytes counts, prepared for the hidden window.
std::optional<RestoredPlacement> read_placement();
void write_placement(const WINDOWPLACEMENT& placement);

// "LastUpdateCheck": 0 when missing or not a plain decimal number.
uint64_t read_last_update_check();
void write_last_update_check(uint64_t seconds);

// True only when Windows' "AppsUseLightTheme" is a four-byte REG_DWORD 0; anything else is the light mode.
bool read_dark_mode();
