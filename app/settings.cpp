#include "app/settings.h"

#include "app/settings_format.h"
#include "base/text.h"

#include <cstring>
#include <vector>

namespace {

constexpr wchar_t k_settings_key[] = L"Software\\Vessop";
constexpr wchar_t k_personalize_key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t k_light_theme_value[] = L"AppsUseLightTheme";

static_assert(sizeof(WINDOWPLACEMENT) == k_placement_size);

std::optional<uint32_t> read_dword(const wchar_t* key, const std::wstring& name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void write_value(std::string_view name, DWORD type, const void* data, DWORD size)
{
    // The result is ignored on purpose: a setting that cannot be stored simply keeps its old value.
    RegSetKeyValueW(HKEY_CURRENT_USER, k_settings_key, utf16_from_utf8(name).c_str(), type, data, size);
}

}  // namespace

std::optional<std::string> read_text_setting(std::string_view name)
{
    const std::wstring value_name = utf16_from_utf8(name);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // One unit more than the reported size, zero-filled: the text is NUL-terminated even when the
    // stored data was not, and an odd byte count cannot cut the buffer short.
    std::vector<wchar_t> buffer(size / 2 + 1, L'\0');
    DWORD buffer_size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &buffer_size) != ERROR_SUCCESS)
        return std::nullopt;  // also when the value grew between the two calls
    return utf8_from_utf16_until_nul(buffer.data(), buffer.size());
}

void write_text_setting(std::string_view name, std::string_view text)
{
    const std::wstring units = utf16_from_utf8(text);
    write_value(name, REG_SZ, units.c_str(), static_cast<DWORD>((units.size() + 1) * sizeof(wchar_t)));
}

std::optional<uint32_t> read_dword_setting(std::string_view name)
{
    return read_dword(k_settings_key, utf16_from_utf8(name));
}

void write_dword_setting(std::string_view name, uint32_t value)
{
    const DWORD data = value;
    write_value(name, REG_DWORD, &data, sizeof(data));
}

bool read_auto_update()
{
    return auto_update_on(read_dword_setting(k_setting_auto_update));
}

void write_auto_update(bool on)
{
    write_dword_setting(k_setting_auto_update, on ? 1 : 0);
}

std::optional<WINDOWPLACEMENT> read_placement()
{
    const std::wstring value_name = utf16_from_utf8(k_setting_placement);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr,
                     &size) != ERROR_SUCCESS ||
        size != k_placement_size)
        return std::nullopt;
    uint8_t bytes[k_placement_size] = {};
    size = sizeof(bytes);
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_BINARY, nullptr, bytes,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The value may have shrunk between the two calls: check the size actually read again.
    const std::optional<PlacementBytes> checked = placement_from_bytes(std::span<const uint8_t>(bytes, size));
    if (!checked) return std::nullopt;
    WINDOWPLACEMENT placement;
    std::memcpy(&placement, checked->data(), sizeof(placement));
    return placement;
}

void write_placement(const WINDOWPLACEMENT& placement)
{
    write_value(k_setting_placement, REG_BINARY, &placement, sizeof(placement));
}

uint64_t read_last_update_check()
{
    const std::optional<std::string> text = read_text_setting(k_setting_last_update_check);
    return text ? parse_last_update_check(*text) : 0;
}

void write_last_update_check(uint64_t seconds)
{
    write_text_setting(k_setting_last_update_check, format_last_update_check(seconds));
}

void write_folders(std::span<const std::wstring> folders)
{
    std::vector<std::string> texts;
    texts.reserve(folders.size());
    for (const std::wstring& folder : folders) texts.push_back(utf8_from_utf16(folder));
    write_text_setting(k_setting_folders, join_folders_value(texts));
}

bool read_dark_mode()
{
    const std::optional<uint32_t> light = read_dword(k_personalize_key, k_light_theme_value);
    return light && *light == 0;
}

void delete_settings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, k_settings_key);  // outcome ignored: --unregister ends either way
}
