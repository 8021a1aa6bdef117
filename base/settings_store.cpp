#include "base/settings_store.h"

#include "base/text.h"

#include <algorithm>

#include <windows.h>

namespace {

constexpr wchar_t k_settings_key[] = L"Software\\Vessop";

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

std::optional<uint32_t> read_user_dword(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // A REG_DWORD written with fewer bytes (a hand edit, a broken tool) reads as success with a short
    // size and a value that was never stored; it is no setting at all.
    if (size != sizeof(value)) return std::nullopt;
    return value;
}

std::optional<uint32_t> read_dword_setting(std::string_view name)
{
    return read_user_dword(k_settings_key, utf16_from_utf8(name).c_str());
}

void write_dword_setting(std::string_view name, uint32_t value)
{
    const DWORD data = value;
    write_value(name, REG_DWORD, &data, sizeof(data));
}

std::optional<std::vector<uint8_t>> read_binary_setting(std::string_view name)
{
    const std::wstring value_name = utf16_from_utf8(name);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<uint8_t> bytes(size);
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_BINARY, nullptr,
                     bytes.empty() ? nullptr : bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);  // the value may have shrunk between the two calls
    return bytes;
}

void write_binary_setting(std::string_view name, const void* data, uint32_t size)
{
    write_value(name, REG_BINARY, data, size);
}

std::vector<std::string> lines_of_multi_string(std::wstring_view data)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < data.size()) {
        const size_t end = std::min(data.find(L'\0', at), data.size());
        if (end == at) break;  // the empty string that ends the list
        lines.push_back(utf8_from_utf16(data.substr(at, end - at)));
        at = end + 1;
    }
    return lines;
}

std::wstring multi_string_of(const std::vector<std::string>& lines)
{
    std::wstring data;
    for (const std::string& line : lines) {
        std::wstring units = utf16_from_utf8(line);
        units.resize(std::min(units.find(L'\0'), units.size()));
        if (units.empty()) continue;  // it would end the list early
        data += units;
        data += L'\0';
    }
    data += L'\0';
    return data;
}

std::optional<std::vector<std::string>> read_lines_setting(std::string_view name)
{
    const std::wstring value_name = utf16_from_utf8(name);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<wchar_t> buffer(size / 2 + 2, L'\0');
    DWORD buffer_size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, k_settings_key, value_name.c_str(), RRF_RT_REG_MULTI_SZ, nullptr,
                     buffer.data(), &buffer_size) != ERROR_SUCCESS)
        return std::nullopt;
    return lines_of_multi_string(std::wstring_view(buffer.data(), std::min<size_t>(buffer_size / 2, buffer.size())));
}

void write_lines_setting(std::string_view name, const std::vector<std::string>& lines)
{
    const std::wstring data = multi_string_of(lines);
    write_value(name, REG_MULTI_SZ, data.c_str(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

void delete_settings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, k_settings_key);  // outcome ignored: --unregister ends either way
}
