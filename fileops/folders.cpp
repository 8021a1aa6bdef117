// Open a copy's folder, and the folders the user added to the search.

#include "fileops/file_ops.h"

#include "base/files.h"
#include "fileops/dialogs.h"
#include "gfx/menus.h"
#include "i18n/catalogue.h"
#include "npki/search_roots.h"

#include <string>

#include <shellapi.h>

FileOpOutcome open_entry_folder(HWND owner, float x, float y, const std::vector<CertificateCopy>& copies)
{
    FileOpOutcome outcome;
    for (size_t index : choose_places(owner, x, y, copies, false)) {
        const Path& folder = copies[index].folder;
        // "open" on a path runs whatever is there: only a folder is shown, and a vanished one is
        // simply not (nothing to report, the rescan will tell).
        if (!is_folder(folder)) continue;
        if (!still_as_scanned(folder, copies)) {
            outcome.notice = folder_changed_notice();
            continue;
        }
        ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    return outcome;
}

FileOpOutcome add_picked_folder(const Path& folder)
{
    std::vector<Path> folders = read_added_folders();
    const std::string key = path_key(full_search_root(folder));
    bool listed = false;
    for (const Path& added : folders) listed = listed || path_key(full_search_root(added)) == key;
    if (!listed) {
        folders.push_back(folder);
        save_added_folders(folders);
    }
    return {std::nullopt, Rescan::Now, false};
}

FileOpOutcome add_folder(HWND owner)
{
    const std::optional<Path> folder = pick_folder(
        owner, tr({"인증서가 있는 폴더 (NPKI 폴더나 그 위)", "Folder with certificates (an NPKI folder or above)"}));
    if (!folder) return {};
    return add_picked_folder(*folder);
}

void save_added_folders(const std::vector<Path>& folders) { write_added_folders(folders); }

FileOpOutcome remove_added_folder(std::vector<Path> folders, size_t index)
{
    if (index >= folders.size()) return {};
    folders.erase(folders.begin() + static_cast<std::ptrdiff_t>(index));
    save_added_folders(folders);
    return {std::nullopt, Rescan::Now, false};
}
