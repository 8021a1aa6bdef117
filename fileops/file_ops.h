#pragma once

// The commands that touch certificate folders on disk: recycle one certificate's folders, clean up
// the expired ones, copy a certificate to another place, open a copy's folder, add or remove a place
// to search. Each runs on the window thread with the window's state released (it shows menus,
// message boxes and the folder picker) and works on copies of what it needs; what the window should
// do afterwards comes back as a FileOpOutcome, which the shell applies to its own state.

#include "base/path.h"
#include "npki/inventory.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

enum class Rescan : uint8_t {
    None,
    Soon,  // after the short file-change delay, so that two operations in a row give one scan
    Now,
};

struct FileOpOutcome {
    std::optional<std::string> notice;  // the status notice to show
    Rescan rescan = Rescan::None;
    bool close_detail = false;  // the open detail pane closes
};

// Whether `folder` is still the folder the scan found there: the copy among `copies` whose folder it
// is, and the file system's identity of it then and now. Between the scan and a command, a folder can
// be deleted and made anew, replaced by a junction, or another folder can take its name: the command
// must not act on that one. A folder with no copy among `copies` counts as changed.
bool still_as_scanned(const Path& folder, const std::vector<CertificateCopy>& copies);

// "The folder changed since the last scan. Refresh and try again."
std::string folder_changed_notice();

// Sends one folder to the Recycle Bin (SHFileOperationW with undo allowed, no question of its own,
// Windows' warning when the folder would be destroyed instead). True only when the shell reports it
// done and nothing aborted.
bool recycle_folder(HWND owner, const Path& folder);
// Each folder in order; how many were recycled.
size_t recycle_folders(HWND owner, const std::vector<Path>& folders);

// The card's "Recycle" button: asks which copy (several), confirms, sends the folders of copies on
// fixed disks to the Recycle Bin.
FileOpOutcome recycle_entry(HWND owner, float x, float y, const CertificateEntry& entry);

// The toolbar's "Clean up expired (n)": every expired certificate's folders on fixed disks, after one
// confirmation. `now` decides what has expired.
FileOpOutcome clean_up_expired(HWND owner, const std::vector<CertificateEntry>& entries, int64_t now);

// The card's "Copy" button: copies the certificate's first copy into the NPKI layout of a place the
// user chooses. `command_line_roots` are the test folders offered instead of the default place.
FileOpOutcome copy_entry(HWND owner, float x, float y, const std::vector<CertificateCopy>& copies,
                         const std::vector<Path>& command_line_roots);

// The card's "Open folder" button: shows the chosen copy's folder in File Explorer.
FileOpOutcome open_entry_folder(HWND owner, float x, float y, const std::vector<CertificateCopy>& copies);

// The toolbar's "Add folder": the folder picker, then the folder joins the added folders unless it
// is there already; a scan follows either way (not when the picker was cancelled).
FileOpOutcome add_folder(HWND owner);

// The folder the picker gave, joined to the added folders unless one of them names the same place
// (path_key of their full forms); only a changed list is stored. A scan follows either way.
FileOpOutcome add_picked_folder(const Path& folder);

// Stores the added folders as "Folders".
void save_added_folders(const std::vector<Path>& folders);

// The menu's "Remove an added folder": removes position `index` of the list read for the menu and
// stores the rest; nothing happens for an index past its end.
FileOpOutcome remove_added_folder(std::vector<Path> folders, size_t index);
