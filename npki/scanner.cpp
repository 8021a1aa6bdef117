// The walk of the search roots. Everything the file system refuses (a root that is gone, a folder
// that cannot be listed, an entry that cannot be read, a certificate that does not decode) is
// skipped without a word; the rest of the scan goes on.

#include "npki/scanner.h"

#include "base/files.h"
#include "base/handle.h"
#include "base/text.h"
#include "npki/certificate_folder.h"
#include "npki/search_roots.h"
#include "trust/issuer_check.h"
#include "x509/dates.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <unordered_set>

#include <windows.h>
#include <winioctl.h>

namespace {

constexpr std::wstring_view k_certificate_file = L"signCert.der";

// A folder holding signCert.der as a file; a sub-folder of that name does not make one.
bool is_certificate_folder(const Path& folder) { return is_file(join_path(folder, k_certificate_file)); }

// Below this many folders a thread costs more than it saves.
constexpr size_t k_folders_per_thread = 32;
constexpr unsigned k_max_decode_threads = 4;

bool is_named(const Path& path, std::string_view ascii_upper) { return is_folder_named(last_component(path), ascii_upper); }

bool is_network_drive(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

// Whether the walk may enter a folder that was not named by the user, given its attributes (a default place, a drive's
// NPKI folder, the NPKI folder below any root): anything that is no link; a link only when it does not
// lie on a removable drive and leads to a place on this PC. Following a link that leads to \\host\share
// connects to that host with the user's credentials: a USB stick (or a process that may write
// LocalLow) could plant one to learn the user's NTLM hash at every scan. Only what the file system
// says of the link itself is read; its target is never opened.
bool may_enter(const Path& folder, DWORD attributes)
{
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;  // the usual case: no handle opened
    UniqueFile handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!handle) return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof(tag))) return false;
    if (!is_link(tag.FileAttributes, tag.ReparseTag)) return true;
    const std::string drive = drive_of_path(folder);
    if (drive.empty()) return false;  // a link on a share, or a path of another shape: not followed
    RemovableDrives drives;
    if (drives.is_removable(drive)) return false;
    std::vector<uint8_t> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD got = 0;
    if (!DeviceIoControl(handle.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(), static_cast<DWORD>(data.size()),
                         &got, nullptr))
        return false;
    data.resize(got);
    return link_reach(data, &is_network_drive) == LinkReach::ThisPc;
}

// The path keys of the places searched without the user naming them: the default places and every
// drive's NPKI folder.
std::unordered_set<std::string> default_place_keys()
{
    std::unordered_set<std::string> keys;
    for (const Path& root : search_roots_from({}, read_search_environment(), list_drives(), {})) keys.insert(path_key(root));
    return keys;
}

// The certificate folders of every USER folder among a CA folder's sub-folders.
void scan_ca_subfolders(const std::string& ca_folder_name, const std::vector<Path>& subfolders,
                        std::vector<CertificateFolder>& found)
{
    for (const Path& user : subfolders) {
        if (!is_named(user, "USER")) continue;
        // Every sub-folder is handed to the decoder, which opens signCert.der and drops the folder when
        // that is missing or is itself a folder: the same outcome as asking for its attributes first,
        // one file-system call fewer per certificate.
        for (Path& certificate_folder : list_subfolders(user))
            found.push_back({std::move(certificate_folder), ca_folder_name});
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
        if (!is_win32_plain_name(name)) continue;  // also "." and "..": a name of dots only
        paths.push_back(join_path(folder, name));
        names.push_back(utf8_from_utf16(name));
    } while (FindNextFileW(find.get(), &data));
    sort_by_utf8_name(paths, names);
    return paths;
}

void scan_ca_folder(const Path& ca_folder, std::vector<CertificateFolder>& found)
{
    scan_ca_subfolders(utf8_from_utf16(last_component(ca_folder)), list_subfolders(ca_folder), found);
}

void scan_root(const Path& folder, std::vector<CertificateFolder>& found)
{
    if (is_certificate_folder(folder)) {
        // The CA folder of a certificate folder is two levels up (NPKI\‹CA›\USER\‹folder›);
        // a root too short for that has none.
        const std::wstring_view ca_folder = parent_path(parent_path(folder));
        found.push_back({folder, utf8_from_utf16(last_component(ca_folder))});
        return;  // a certificate folder's own sub-folders are not looked at
    }
    std::vector<Path> subfolders;
    if (!is_named(folder, "NPKI")) {
        const Path npki = join_path(folder, L"NPKI");
        const DWORD npki_attributes = GetFileAttributesW(npki.c_str());
        if (npki_attributes != INVALID_FILE_ATTRIBUTES && (npki_attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (may_enter(npki, npki_attributes)) scan_root(npki, found);
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

FoundList decode_folders(const std::vector<CertificateFolder>& folders, const IssuerCheck& issuers)
{
    RemovableDrives drives;  // one drive-type question per letter for the whole scan
    VerdictCache verdicts(issuers);  // each certificate verified once, however many copies
    std::vector<std::optional<FoundCopy>> decoded(folders.size());
    std::atomic<size_t> next{0};
    const auto work = [&]() noexcept {
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < folders.size();) {
            try {
                decoded[i] = decode_certificate_folder(folders[i].folder, folders[i].ca_folder_name, &drives, &verdicts);
            } catch (...) {
                // Out of memory for one certificate: it is left out like any unreadable one.
            }
        }
    };

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t wanted = std::min<size_t>({cores, k_max_decode_threads, folders.size() / k_folders_per_thread});
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < wanted; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (...) {
            break;  // no more threads: the ones we have (this one at least) do the rest
        }
    }
    work();
    for (std::thread& helper : helpers) helper.join();

    FoundList found;
    found.reserve(folders.size());
    for (std::optional<FoundCopy>& item : decoded)
        if (item) found.push_back(std::move(*item));
    return found;
}

WalkResult walk_search_roots(const std::vector<Path>& search_roots, const IssuerCheck& issuers)
{
    WalkResult walk;
    std::vector<CertificateFolder> folders;
    std::unordered_set<std::string> scanned_roots;
    std::optional<std::unordered_set<std::string>> default_places;  // read when a root is a reparse point
    for (const Path& root : search_roots) {
        std::string key = path_key(root);
        if (scanned_roots.count(key)) continue;  // reached already: not counted again
        const DWORD attributes = GetFileAttributesW(root.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;  // gone, denied or no medium: not counted
        // A folder the user named is followed as given; a default place only as may_enter allows.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            if (!default_places) default_places = default_place_keys();
            if (default_places->count(key) && !may_enter(root, attributes)) continue;
        }
        scanned_roots.insert(std::move(key));
        // A root that is a file exists, so it counts; it simply holds no folders.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) scan_root(root, folders);
        ++walk.folders_checked;
    }
    walk.found = decode_folders(folders, issuers);
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

Inventory run_scan(const std::vector<Path>& search_roots, const IssuerCheck& issuers)
{
    WalkResult walk = walk_search_roots(search_roots, issuers);
    return inventory_from(std::move(walk), now_seconds());  // the time is read after the walk
}
