#pragma once

// The settings store: a few values under HKEY_CURRENT_USER "Software\Vessop". Nothing is cached;
// every reader asks the registry when it needs a value and every writer writes at once. The first
// write creates the key. A read that fails for any reason (key or value missing, wrong type, wrong
// size) is "missing"; a failed write is ignored, as every caller would do nothing else with it.
//
// The store sits at the bottom of the program because several layers read it: the text catalogue
// reads "Language", the scan reads "Folders", the shell the rest.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Value names.
inline constexpr std::string_view k_setting_placement = "Placement";
inline constexpr std::string_view k_setting_language = "Language";
inline constexpr std::string_view k_setting_auto_update = "AutoUpdate";
inline constexpr std::string_view k_setting_last_update_check = "LastUpdateCheck";
inline constexpr std::string_view k_setting_folders = "Folders";

// REG_SZ, up to its first NUL; unpaired surrogates become U+FFFD.
std::optional<std::string> read_text_setting(std::string_view name);
void write_text_setting(std::string_view name, std::string_view text);
// REG_DWORD holding exactly four bytes; any other size counts as missing.
std::optional<uint32_t> read_dword_setting(std::string_view name);
void write_dword_setting(std::string_view name, uint32_t value);
// REG_BINARY, whole.
std::optional<std::vector<uint8_t>> read_binary_setting(std::string_view name);
void write_binary_setting(std::string_view name, const void* data, uint32_t size);

// A REG_DWORD of exactly four bytes under any key of HKEY_CURRENT_USER (Windows' own settings).
std::optional<uint32_t> read_user_dword(const wchar_t* key, const wchar_t* name);

// Removes the settings key with everything under it; a missing key is not an error.
void delete_settings();
