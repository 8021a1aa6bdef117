// The walk of the search roots. Everything the file system refuses (a root that is gone, a folder
// that cannot be listed, an entry that cannot be read, a certificate that does not decode) is
// skipped without a word; the rest of the scan goes on.

#include "npki/scanner.h"

#include "base/handle.h"
#include "base/text.h"
#include "x509/dates.h"
#include "x509/decoder.h"

#include <algorithm>
#include <unordered_set>

#include <windows.h>

namespace {

constexpr std::wstring_view k_certificate_file = L"signCert.der";

bool is_file(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_folder(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder holding signCert.der as a file; a sub-folder of that name does not make one.
bool is_certificate_folder(const Path& folder) { return is_file(join_path(folder, k_certificate_file)); }

void decode_into(const Path& folder, const std::string& ca_folder_name, FoundList& found)
{
    if (auto decoded = decode_certificate_folder(folder, ca_folder_name)) found.push_back(std::move(*decoded));
}

bool is_named(const Path& path, std::string_view ascii_upper) { return is_folder_named(last_component(path), ascii_upper); }

// The certificate folders of every USER folder among a CA folder's sub-folders.
void scan_ca_subfolders(const std::string& ca_folder_name, const std::vector<Path>& subfolders, FoundList& found)
{
    for (const Path& user : subfolders) {
        if (!is_named(user, "USER")) continue;
        for (const Path& certificate_folder : list_subfolders(user)) {
            if (is_certificate_folder(certificate_folder)) decode_into(certificate_folder, ca_folder_name, found);
        }
    }
}

}  // namespace

std::vector<Path> list_subfolders(const Path& folder)
{
    std::vector<Path> paths;
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    // Basic information skips the 8.3 names nobody here reads; large fetches save round trips.
    UniqueFind find(FindFirstFileExW(join_path(folder, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return paths;  // cannot be opened: no sub-folders
    do {
        // dwReserved0 holds the reparse tag whenever the reparse-point attribute is set.
        if (!is_walkable_folder(data.dwFileAttributes, data.dwReserved0)) continue;
        const std::wstring_view name(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
        if (name.empty() || name == L"." || name == L"..") continue;
        paths.push_back(join_path(folder, name));
        names.push_back(utf8_from_utf16(name));
    } while (FindNextFileW(find.get(), &data));
    sort_by_utf8_name(paths, names);
    return paths;
}

void scan_ca_folder(const Path& ca_folder, FoundList& found)
{
    scan_ca_subfolders(utf8_from_utf16(last_component(ca_folder)), list_subfolders(ca_folder), found);
}

void scan_root(const Path& folder, FoundList& found)
{
    if (is_certificate_folder(folder)) {
        // The CA folder of a certificate folder is two levels up (NPKI\‹CA›\USER\‹folder›);
        // a root too short for that has none.
        const std::wstring_view ca_folder = parent_path(parent_path(folder));
        decode_into(folder, utf8_from_utf16(last_component(ca_folder)), found);
        return;  // a certificate folder's own sub-folders are not looked at
    }
    std::vector<Path> subfolders;
    if (!is_named(folder, "NPKI")) {
        const Path npki = join_path(folder, L"NPKI");
        if (is_folder(npki)) {
            scan_root(npki, found);
            return;
        }
        subfolders = list_subfolders(folder);
        if (std::any_of(subfolders.begin(), subfolders.end(), [](const Path& s) { return is_named(s, "USER"); })) {
            scan_ca_subfolders(utf8_from_utf16(last_component(folder)), subfolders, found);
            return;
        }
    } else {
        subfolders = list_subfolders(folder);
    }
    // An NPKI folder, or a folder holding CA folders.
    for (const Path& ca_folder : subfolders) scan_ca_folder(ca_folder, found);
}

WalkResult walk_search_roots(const std::vector<Path>& search_roots)
{
    WalkResult walk;
    std::unordered_set<std::string> scanned_roots;
    for (const Path& root : search_roots) {
        std::string key = path_key(root);
        if (scanned_roots.count(key)) continue;  // reached already: not counted again
        const DWORD attributes = GetFileAttributesW(root.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;  // gone, denied or no medium: not counted
        scanned_roots.insert(std::move(key));
        // A root that is a file exists, so it counts; it simply holds no folders.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) scan_root(root, walk.found);
        ++walk.folders_checked;
    }
    return walk;
}

Inventory inventory_from(WalkResult walk, int64_t scan_time)
{
    Inventory inventory;
    inventory.entries = group_copies(std::move(walk.found));
    sort_inventory(inventory.entries, scan_time);
    inventory.folders_checked = walk.folders_checked;
    return inventory;
}

Inventory run_scan(const std::vector<Path>& search_roots)
{
    WalkResult walk = walk_search_roots(search_roots);
    return inventory_from(std::move(walk), now_seconds());  // the time is read after the walk
}
