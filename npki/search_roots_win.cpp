// The platform half of the search locations: environment variables, drives, the added folders.

#include "npki/search_roots.h"

#include "base/settings_store.h"
#include "base/text.h"

#include <windows.h>

namespace {

std::optional<Path> environment_value(const wchar_t* name)
{
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) return std::nullopt;  // unset, or set to the empty text
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n);  // n counts the terminator when the buffer was too small
    }
}

}  // namespace

SearchEnvironment read_search_environment()
{
    return {environment_value(L"USERPROFILE"), environment_value(L"APPDATA"), environment_value(L"LOCALAPPDATA"),
            environment_value(L"ProgramFiles"), environment_value(L"ProgramFiles(x86)")};
}

std::vector<DriveInfo> list_drives()
{
    return drives_from_mask(GetLogicalDrives(), [](const Path& root) { return GetDriveTypeW(root.c_str()); });
}

std::vector<Path> read_added_folders()
{
    // Absent or unreadable means no added folders.
    const std::optional<std::string> value = read_text_setting(k_setting_folders);
    std::vector<Path> folders;
    if (!value) return folders;
    for (const std::string& line : split_folders_value(*value)) folders.push_back(utf16_from_utf8(line));
    return folders;
}

std::vector<Path> collect_search_roots(const std::vector<Path>& command_line_roots)
{
    if (!command_line_roots.empty()) return command_line_roots;
    return search_roots_from(command_line_roots, read_search_environment(), list_drives(), read_added_folders());
}

void write_added_folders(std::span<const Path> folders)
{
    std::vector<std::string> texts;
    texts.reserve(folders.size());
    for (const Path& folder : folders) texts.push_back(utf8_from_utf16(folder));
    write_text_setting(k_setting_folders, join_folders_value(texts));
}
