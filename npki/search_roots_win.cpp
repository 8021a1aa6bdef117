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

// GetFullPathNameW into a buffer that grows; nothing when it refuses the path.
std::optional<Path> full_path_name(const Path& path)
{
    std::wstring buffer(MAX_PATH, L'\0');
    // A relative path may resolve longer on the next try if another thread changed the current folder.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0) return std::nullopt;
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n);  // n counts the terminator when the buffer was too small
    }
    return std::nullopt;
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

Path full_search_root(const Path& root)
{
    // The platform call reads up to the first NUL; a root with one inside names no folder as a whole.
    if (root.empty() || root.find(L'\0') != Path::npos) return root;
    const Path plain = without_long_path_prefix(root);
    if (plain != root) {
        // Behind the prefix the text is taken literally; without it, Win32 would resolve ".." and drop
        // trailing dots. Only a spelling that is already full and plain names the same folder.
        const std::optional<Path> full = full_path_name(plain);
        return full && *full == plain && plain.size() < MAX_PATH ? plain : root;
    }
    return full_path_name(root).value_or(root);  // refused: kept, and skipped by the scanner as before
}

std::vector<Path> collect_search_roots(const std::vector<Path>& command_line_roots)
{
    std::vector<Path> roots = command_line_roots.empty()
                                  ? search_roots_from(command_line_roots, read_search_environment(), list_drives(),
                                                      read_added_folders())
                                  : command_line_roots;
    for (Path& root : roots) root = full_search_root(root);
    return roots;
}

void write_added_folders(std::span<const Path> folders)
{
    std::vector<std::string> texts;
    texts.reserve(folders.size());
    for (const Path& folder : folders) texts.push_back(utf8_from_utf16(folder));
    write_text_setting(k_setting_folders, join_folders_value(texts));
}
