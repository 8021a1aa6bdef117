// Recycle and clean-up: certificate folders go to the Recycle Bin, never anywhere they could not be
// restored from. Copies on USB drives are left out before anything reaches the shell (such drives
// have no Recycle Bin); the texts and the choice of folders are in fileops/questions.cpp.

#include "fileops/file_ops.h"

#include "base/files.h"
#include "fileops/dialogs.h"
#include "fileops/questions.h"
#include "gfx/menus.h"
#include "i18n/catalogue.h"
#include "npki/search_roots.h"

#include <algorithm>
#include <string>

#include <shellapi.h>

bool still_as_scanned(const Path& folder, const std::vector<CertificateCopy>& copies)
{
    for (const CertificateCopy& copy : copies)
        if (copy.folder == folder) return still_the_same(full_search_root(folder), copy.identity);
    return false;
}

std::string folder_changed_notice()
{
    return std::string(tr({"마지막으로 살펴본 뒤에 폴더가 바뀌었습니다. 새로 고친 뒤 다시 해 보세요.",
                           "The folder changed since the last scan. Refresh and try again."}));
}

bool recycle_folder(HWND owner, const Path& folder)
{
    // pFrom is a list: NUL-separated paths ended by a second NUL, with wildcards expanded. A path
    // holding a NUL or a wildcard would name other files than this folder; no folder name has either,
    // and the shell takes no long-path prefix ("\\?\") either.
    if (folder.empty() || folder.find_first_of(std::wstring_view(L"\0*?", 3)) != Path::npos) return false;
    // The shell resolves a relative path against the current folder at the time of the call.
    std::wstring from = full_search_root(folder);
    from.push_back(L'\0');  // the list's end; c_str() adds the path's own terminator

    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.pTo = nullptr;
    // Undo allowed (the Recycle Bin), no question of the shell's own (ours was asked), and the
    // shell's warning when a folder would be destroyed instead of recycled.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING;
    const int result = SHFileOperationW(&operation);
    return result == 0 && !operation.fAnyOperationsAborted;
}

size_t recycle_folders(HWND owner, const std::vector<Path>& folders)
{
    size_t recycled = 0;
    for (const Path& folder : folders)
        if (recycle_folder(owner, folder)) ++recycled;  // a folder that stays is not retried; the rescan shows it
    return recycled;
}

FileOpOutcome recycle_entry(HWND owner, float x, float y, const CertificateEntry& entry)
{
    const std::vector<size_t> chosen = choose_places(owner, x, y, entry.copies, true);
    if (chosen.empty()) return {};  // dismissed
    const RecycleSelection selection = select_for_recycling(entry.copies, chosen);
    if (selection.folders.empty()) {
        info_box(owner, tr({"USB 드라이브에는 휴지통이 없어 Vessop 는 지우지 않습니다. 정말 지우려면 '폴더 열기' 로 탐색기에서 직접 지우세요.",
                            "USB drives have no Recycle Bin, so Vessop won't delete there. To delete it anyway, use "
                            "'Open folder' and delete it in File Explorer."}));
        return {};
    }
    if (!confirm_box(owner, recycle_question(entry, selection))) return {};
    for (const Path& folder : selection.folders)
        if (!still_as_scanned(folder, entry.copies)) return {folder_changed_notice(), Rescan::None, false};
    const size_t recycled = recycle_folders(owner, selection.folders);
    return {recycled_notice(recycled, selection.folders.size()), Rescan::Soon, true};
}

FileOpOutcome clean_up_expired(HWND owner, const std::vector<CertificateEntry>& entries, int64_t now)
{
    const CleanUpPlan plan = plan_clean_up(entries, now);
    if (plan.expired.empty()) return {};  // nothing expired (any more): no question about nothing
    if (plan.folders.empty()) {
        info_box(owner, tr({"만료된 인증서가 모두 USB 드라이브에 있습니다. USB 드라이브에는 휴지통이 없어 Vessop 는 지우지 않습니다.",
                            "All expired certificates are on USB drives. USB drives have no Recycle Bin, so Vessop "
                            "won't delete there."}));
        return {};
    }
    if (!confirm_box(owner, clean_up_question(entries, plan))) return {};
    // All or none: the question named these folders, and one that changed means the list is stale.
    for (const Path& folder : plan.folders) {
        const bool known = std::any_of(plan.expired.begin(), plan.expired.end(),
                                       [&](size_t i) { return still_as_scanned(folder, entries[i].copies); });
        if (!known) return {folder_changed_notice(), Rescan::None, false};
    }
    const size_t recycled = recycle_folders(owner, plan.folders);
    return {cleaned_up_notice(recycled), Rescan::Soon, false};
}
