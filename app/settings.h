#pragma once

// The settings store: a few values under HKEY_CURRENT_USER "Software\Vessop". Nothing is cached;
// every reader asks the registry when it needs a value and every writer writes at once. The first
// write creates the key. A read that fails for any reason (key or value missing, wrong type) is
// "missing"; a failed write is ignored, as every caller would do nothing else with it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <windows.h>

// Value names.
inline constexpr std::string_view k_setting_placement = "Placement";
inline constexpr std::string_view k_setting_language = "Language";
inline constexpr std::string_view k_setting_auto_update = "AutoUpdate";
inline constexpr std::string_view k_setting_last_update_check = "LastUpdateCheck";
inline constexpr std::string_view k_setting_folders = "Folders";

// REG_SZ, up to its first NUL; unpaired surrogates become U+FFFD.
std::optional<std::string> read_text_setting(std::string_view name);
void write_text_setting(std::string_view name, std::string_view text);
// REG_DWORD only.
std::optional<uint32_t> read_dword_setting(std::string_view name);
void write_dword_setting(std::string_view name, uint32_t value);

// "AutoUpdate": on when missing or non-zero; the toggle stores exactly 0 or 1.
bool read_auto_update();
void write_auto_update(bool on);

// "Placement": only a REG_BINARY of exactly sizeof(WINDOWPLACEMENT) = 44 bytes counts.
std::optional<WINDOWPLACEMENT> read_placement();
void write_placement(const WINDOWPLACEMENT& placement);

// "LastUpdateCheck": 0 when missing or not a plain decimal number.
uint64_t read_last_update_check();
void write_last_update_check(uint64_t seconds);

// "Folders": the added folders in list order (the reading side is `read_added_folders`). An empty
// list is stored as the empty text, so the value stays present.
void write_folders(std::span<const std::wstring> folders);

// True only when Windows' "AppsUseLightTheme" is a REG_DWORD 0; anything else is the light mode.
bool read_dark_mode();

// Removes the settings key with everything under it; a missing key is not an error.
void delete_settings();
