#include "npki/search_roots.h"

#include "base/text.h"

#include <algorithm>

namespace {

bool only_white_space(std::string_view line)
{
    // Every Unicode white-space character lies in the Basic Multilingual Plane, so checking UTF-16
    // units is enough; a surrogate unit is never white space.
    const std::wstring units = utf16_from_utf8(line);
    return std::all_of(units.begin(), units.end(), [](wchar_t unit) { return is_unicode_space(unit); });
}

void add_joined(std::vector<Path>& roots, const std::optional<Path>& base, std::wstring_view name)
{
    if (base) roots.push_back(join_path(*base, name));
}

// Where UAC virtualisation put what an old 32-bit program without a manifest (much banking software)
// wrote to ‹Program Files›\NPKI: LOCALAPPDATA\VirtualStore\‹that folder without its drive›\NPKI. Such
// programs still read their certificates there; a program that declares asInvoker, as this one does,
// sees only the real folder.
void add_virtual_store(std::vector<Path>& roots, const std::optional<Path>& local_app_data,
                       const std::optional<Path>& program_files)
{
    if (!local_app_data || !program_files) return;
    std::wstring_view folder(*program_files);
    if (folder.size() < 3 || !is_ascii_letter(folder[0]) || folder[1] != L':' || folder[2] != L'\\') return;
    folder.remove_prefix(3);
    while (!folder.empty() && folder.back() == L'\\') folder.remove_suffix(1);
    if (folder.empty()) return;
    roots.push_back(join_path(join_path(join_path(*local_app_data, L"VirtualStore"), folder), L"NPKI"));
}


}  // namespace

Path without_long_path_prefix(std::wstring_view root)
{
    constexpr std::wstring_view k_prefix = L"\\\\?\\";
    constexpr std::wstring_view k_unc = L"UNC\\";
    if (!root.starts_with(k_prefix)) return Path(root);
    const std::wstring_view rest = root.substr(k_prefix.size());
    if (rest.size() >= 3 && is_ascii_letter(rest[0]) && rest[1] == L':' && rest[2] == L'\\') return Path(rest);
    if (starts_with_ignoring_ascii_case(rest, k_unc) && rest.size() > k_unc.size() && rest[k_unc.size()] != L'\\')
        return L"\\\\" + Path(rest.substr(k_unc.size()));
    return Path(root);
}

std::vector<Path> search_roots_from(const std::vector<Path>& command_line_roots, const SearchEnvironment& environment,
                                    const std::vector<DriveInfo>& drives, const std::vector<Path>& added_folders)
{
    // Roots given on the command line replace everything else, so plugging in a drive changes nothing.
    if (!command_line_roots.empty()) return command_line_roots;

    std::vector<Path> roots;
    roots.reserve(7 + drives.size() + added_folders.size());
    // The PC's default place comes first: its copies lead every entry they belong to.
    add_joined(roots, environment.user_profile, L"AppData\\LocalLow\\NPKI");
    add_joined(roots, environment.app_data, L"NPKI");
    add_joined(roots, environment.local_app_data, L"NPKI");
    add_joined(roots, environment.program_files, L"NPKI");
    add_joined(roots, environment.program_files_x86, L"NPKI");
    add_virtual_store(roots, environment.local_app_data, environment.program_files);
    add_virtual_store(roots, environment.local_app_data, environment.program_files_x86);
    for (const DriveInfo& drive : drives) roots.push_back(join_path(drive.root, L"NPKI"));
    // An added folder may be an NPKI folder, a folder above one, a CA folder or a certificate
    // folder: the scanner recognises each, so nothing is appended here.
    roots.insert(roots.end(), added_folders.begin(), added_folders.end());
    return roots;
}

std::vector<std::string> split_folders_value(std::string_view value)
{
    std::vector<std::string> folders;
    while (!value.empty()) {
        const size_t end = value.find('\n');
        std::string_view line = value.substr(0, end);
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!only_white_space(line)) folders.emplace_back(line);
    }
    return folders;
}

std::string join_folders_value(std::span<const std::string> folders)
{
    std::string value;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) value += '\n';
        value += folders[i];
    }
    return value;
}
