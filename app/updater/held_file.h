#pragma once

// Files and folders the updater holds open so that nobody can swap them while it checks and starts
// an installer in the user's temporary folder, which anything the user runs may write to.
//
// A junction or symbolic link planted there could send curl's download elsewhere, or point the name
// that was verified at another file by the time it is started. So the work folder and the installer
// must be plain (no reparse point), both are held open without FILE_SHARE_DELETE (they can be neither
// renamed nor deleted, so their names keep naming them), and before a held file is verified or
// started its path is checked to still lead to it.

#include "base/handle.h"
#include "base/path.h"

#include <optional>

#include <windows.h>

// Whether the name itself is a reparse point (a junction, a symbolic link, a mount point); false
// when it does not exist.
bool names_reparse_point(const Path& path);

// The folder opened so that it cannot be renamed, deleted or replaced while the handle lives; none
// when it cannot be opened or is no plain folder (a reparse point, a file).
std::optional<UniqueFile> hold_plain_folder(const Path& folder);

// The file opened for reading, shareable only for reading (the loader may map it), itself and not a
// link's target; none with the error code in `error`, which is ERROR_REPARSE_TAG_INVALID when the
// name is a reparse point or a folder.
std::optional<UniqueFile> hold_plain_file(const Path& path, DWORD& error);

// Whether opening `path` now leads to the very file `held` is (same volume and file index).
bool path_names_held_file(const Path& path, HANDLE held);
