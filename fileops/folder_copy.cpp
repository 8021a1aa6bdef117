#include "fileops/folder_copy.h"

#include "base/files.h"
#include "base/handle.h"
#include "npki/scanner.h"

#include <atomic>
#include <cwchar>
#include <string>
#include <vector>

#include <windows.h>

namespace {

// The error of the call that just failed; never ERROR_SUCCESS, so a failure is never taken for success.
DWORD failure()
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// The names of the files to copy, in listing order.
DWORD list_files(const Path& folder, std::vector<std::wstring>& names)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(
        FindFirstFileExW(join_path(folder, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) return failure();
    do {
        // dwReserved0 holds the reparse tag when the entry is a reparse point.
        if (is_copied_entry(data.dwFileAttributes, data.dwReserved0)) names.emplace_back(data.cFileName);
    } while (FindNextFileW(find.get(), &data));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
}

// Whether a folder is a symbolic link or junction; a cloud placeholder (OneDrive) is no link.
bool is_linked_folder(const Path& folder)
{
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileExW(folder.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    return find && is_link(data.dwFileAttributes, data.dwReserved0);
}

// The certificate folder, its USER folder and its CA folder, where they exist, may not be links: a
// junction planted at LocalLow\NPKI\‹CA› (a low-integrity process may write there) would take the copy,
// and the staging files beside it, wherever it points.
DWORD refuse_links(const Path& destination)
{
    Path at = destination;
    for (int level = 0; level < 3 && !at.empty(); ++level, at = Path(parent_path(at)))
        if (is_linked_folder(at)) return ERROR_CANT_ACCESS_FILE;
    return ERROR_SUCCESS;
}

// Creates `folder` and every missing parent, top down, noting what it created.
DWORD create_folders(const Path& folder, std::vector<Path>& created)
{
    std::vector<Path> missing;
    for (Path at = folder; !at.empty() && !is_folder(at); at = Path(parent_path(at))) missing.push_back(at);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (CreateDirectoryW(it->c_str(), nullptr)) {
            created.push_back(*it);
            continue;
        }
        const DWORD error = failure();
        if (error == ERROR_ALREADY_EXISTS && is_folder(*it)) continue;  // made by someone else meanwhile
        return error;  // a file where a folder must be gives ERROR_ALREADY_EXISTS too
    }
    return ERROR_SUCCESS;
}

// Removes the folders this copy created, deepest first, as long as they are empty: one that holds
// anything now got it from someone else and stays.
void remove_created(const std::vector<Path>& created)
{
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
}

void delete_file(const Path& path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file refuses deletion
    DeleteFileW(path.c_str());
}

// The staging folder beside the destination: `fresh` holds the copied files until they move in,
// `replaced` the destination's files of the same names until the copy is complete. Files never lie
// directly in it, so a scan running meanwhile cannot take it for a certificate folder.
struct Staging {
    Path folder;
    Path fresh;
    Path replaced;
};

DWORD create_staging(const Path& parent, Staging& staging)
{
    static std::atomic<uint32_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[32];
        std::swprintf(suffix, std::size(suffix), L"%08lx%04x", static_cast<unsigned long>(GetTickCount64() ^ GetCurrentProcessId()),
                      static_cast<unsigned>(counter++ & 0xFFFF));
        const Path folder = join_path(parent, std::wstring(k_staging_prefix) + suffix);
        if (!CreateDirectoryW(folder.c_str(), nullptr)) {
            const DWORD error = failure();
            if (error == ERROR_ALREADY_EXISTS) continue;
            return error;
        }
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);  // not for the user's eyes
        staging = {folder, join_path(folder, L"new"), join_path(folder, L"old")};
        if (!CreateDirectoryW(staging.fresh.c_str(), nullptr) || !CreateDirectoryW(staging.replaced.c_str(), nullptr)) {
            const DWORD error = failure();
            RemoveDirectoryW(staging.fresh.c_str());
            RemoveDirectoryW(staging.folder.c_str());
            return error;
        }
        return ERROR_SUCCESS;
    }
    return ERROR_ALREADY_EXISTS;
}

// Deletes the staging folder with the files of these names in it.
void remove_staging(const Staging& staging, const std::vector<std::wstring>& names)
{
    for (const std::wstring& name : names) {
        delete_file(join_path(staging.fresh, name));
        delete_file(join_path(staging.replaced, name));
    }
    RemoveDirectoryW(staging.fresh.c_str());
    RemoveDirectoryW(staging.replaced.c_str());
    RemoveDirectoryW(staging.folder.c_str());
}

// One rename done while moving the files in, so that it can be undone.
struct Step {
    Path from;
    Path to;
};

// Undoes the renames, last first. False when one could not be undone.
bool undo(const std::vector<Step>& steps)
{
    bool all = true;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        all = MoveFileExW(it->to.c_str(), it->from.c_str(), 0) && all;
    return all;
}

// Moves the staged files into the destination, each same-named file there moved aside first.
// Every rename is noted in `steps`, also when a later one fails.
DWORD move_in(const Staging& staging, const Path& destination, const std::vector<std::wstring>& names,
              std::vector<Step>& steps)
{
    for (const std::wstring& name : names) {
        const Path target = join_path(destination, name);
        if (is_file(target)) {
            const Path aside = join_path(staging.replaced, name);
            if (!MoveFileExW(target.c_str(), aside.c_str(), 0)) return failure();
            steps.push_back({target, aside});
        }
        // A folder of that name stays in the way and makes this fail: a folder is not replaced.
        const Path staged = join_path(staging.fresh, name);
        if (!MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return failure();
        steps.push_back({staged, target});
    }
    return ERROR_SUCCESS;
}

}  // namespace

bool is_copied_entry(uint32_t attributes, uint32_t reparse_tag)
{
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !is_link(attributes, reparse_tag);
}

uint32_t copy_certificate_folder(const Path& source, const Path& destination)
{
    // The source is read before anything is written: a folder that is gone (its drive removed) costs
    // nothing at the destination.
    std::vector<std::wstring> names;
    if (const DWORD error = list_files(source, names)) return error;

    std::vector<Path> created;
    const Path parent(parent_path(destination));
    if (parent.empty()) return ERROR_BAD_PATHNAME;  // a drive root is no certificate folder
    if (const DWORD error = refuse_links(destination)) return error;
    if (const DWORD error = create_folders(parent, created)) {
        remove_created(created);
        return error;
    }
    Staging staging;
    if (const DWORD error = create_staging(parent, staging)) {
        remove_created(created);
        return error;
    }

    DWORD error = ERROR_SUCCESS;
    for (const std::wstring& name : names) {
        // An EFS-encrypted profile's files could not go to a FAT or exFAT USB stick otherwise
        // (ERROR_ENCRYPTION_FAILED); the key file stays protected by its own password.
        if (!CopyFileExW(join_path(source, name).c_str(), join_path(staging.fresh, name).c_str(), nullptr, nullptr,
                         nullptr, COPY_FILE_ALLOW_DECRYPTED_DESTINATION)) {
            error = failure();
            break;
        }
    }

    bool made_destination = false;
    std::vector<Step> steps;
    if (!error) {
        if (!is_folder(destination)) {
            // A file standing at the destination makes this fail: it is not replaced by a folder.
            if (CreateDirectoryW(destination.c_str(), nullptr)) {
                made_destination = true;
            } else {
                error = failure();
            }
        }
    }
    if (!error) error = move_in(staging, destination, names, steps);

    if (error) {
        if (!undo(steps)) {
            // Some original file could not be put back; it still lies in the staging folder, which
            // therefore stays where it is for the user to recover it from.
            return error;
        }
        if (made_destination) RemoveDirectoryW(destination.c_str());
        remove_staging(staging, names);
        remove_created(created);
        return error;
    }
    remove_staging(staging, names);  // the replaced files go now that every new one is in place
    return ERROR_SUCCESS;
}
