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
inline constexpr std::string_view k_setting_reminders = "Reminders";
inline constexpr std::string_view k_setting_reminded = "Reminded";
inline constexpr std::string_view k_setting_revocation_consent = "RevocationConsent";

// REG_SZ, up to its first NUL; unpaired surrogates become U+FFFD.
std::optional<std::string> read_text_setting(std::string_view name);
void write_text_setting(std::string_view name, std::string_view text);
// REG_DWORD holding exactly four bytes; any other size counts as missing.
std::optional<uint32_t> read_dword_setting(std::string_view name);
void write_dword_setting(std::string_view name, uint32_t value);
// REG_BINARY, whole.
std::optional<std::vector<uint8_t>> read_binary_setting(std::string_view name);
void write_binary_setting(std::string_view name, const void* data, uint32_t size);

// REG_MULTI_SZ as its lines; empty lines are skipped.
std::optional<std::vector<std::string>> read_lines_setting(std::string_view name);
void write_lines_setting(std::string_view name, const std::vector<std::string>& lines);
// The lines of REG_MULTI_SZ data: NUL-separated, ending at the first empty string or at the end of
// the data (a value written without its final NULs reads the same).
std::vector<std::string> lines_of_multi_string(std::wstring_view data);
// Each line followed by a NUL, then one more NUL; a NUL inside a line ends it there.
std::wstring multi_string_of(const std::vector<std::string>& lines);

// A REG_DWORD of exactly four bytes under any key of HKEY_CURRENT_USER (Windows' own settings).
std::optional<uint32_t> read_user_dword(const wchar_t* key, const wchar_t* name);

// Removes the settings key with everything under it; a missing key is not an error.
void delete_settings();
