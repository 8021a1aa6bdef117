// Copy a certificate to another place: the destination menu, the checks before anything is written,
// and the report. The copy itself (all files or none) is fileops/folder_copy.cpp.

#include "fileops/file_ops.h"

#include "base/files.h"
#include "base/system_error.h"
#include "fileops/destinations.h"
#include "fileops/dialogs.h"
#include "fileops/folder_copy.h"
#include "gfx/menus.h"
#include "i18n/catalogue.h"
#include "npki/search_roots.h"

#include <string>

FileOpOutcome copy_entry(HWND owner, float x, float y, const std::vector<CertificateCopy>& copies,
                         const std::vector<Path>& command_line_roots)
{
    if (copies.empty()) return {};
    const std::vector<Destination> destinations =
        destination_choices(list_drives(), command_line_roots, read_search_environment().user_profile, copies);
    const DestinationAnswer answer =
        destination_for_menu_id(popup_menu(owner, x, y, destination_menu_items(destinations)), destinations.size());
    Path target;
    switch (answer.pick) {
    case DestinationPick::Dismissed: return {};
    case DestinationPick::Place: target = destinations[answer.index].target; break;
    case DestinationPick::OtherFolder: {
        std::optional<Path> picked = pick_folder(owner, tr({"인증서를 복사할 곳", "Where to copy the certificate"}));
        if (!picked) return {};
        target = std::move(*picked);
        break;
    }
    }

    // Test folders may be spelled relative or with forward slashes: every path is compared, and the
    // copy made, in its full form.
    const Path destination = destination_folder(full_search_root(target), copies.front());
    std::vector<CertificateCopy> own = copies;
    for (CertificateCopy& copy : own) copy.folder = full_search_root(copy.folder);
    if (lands_on_own_copy(destination, own))
        return {std::string(tr({"이미 그곳에 있는 인증서입니다", "This certificate is already there"})), Rescan::None, false};
    if (GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !confirm_box(owner, overwrite_question(destination)))
        return {};

    // A source that is gone (its drive removed) fails below with the system's own words; one that is
    // there but is another folder than the scan read is not copied.
    if (is_folder(own.front().folder) && !still_as_scanned(copies.front().folder, copies))
        return {folder_changed_notice(), Rescan::None, false};
    if (const uint32_t error = copy_certificate_folder(own.front().folder, destination)) {
        info_box(owner, copy_failed_text(system_error_text(error)));
        return {};
    }
    return {copied_notice(destination), Rescan::Soon, false};
}
