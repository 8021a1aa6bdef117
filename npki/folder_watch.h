#pragma once

// The list follows the disk by itself: the search roots on fixed drives are watched for new,
// renamed, deleted and rewritten certificate files (.der, .key) and for folders made, removed or
// renamed (a certificate a bank's web page saved, a folder copied in by hand or deleted elsewhere), and
// each such change posts one message, which the window turns into its delayed rescan; other files
// changing in a busy added folder are let be. Drives that can be removed are left to WM_DEVICECHANGE:
// an open watch handle would keep Windows from removing the drive safely. That is every removable
// drive, and every "fixed" one on a bus that unplugs (USB and FireWire disks, SD and MMC cards) or
// with removable media. Each watched folder's handle is registered for device events: when the user
// asks to remove its disk the window lets go of every watch at once, and watches
// again if the removal is refused.
//
// A root that does not exist yet (the first certificate creates LocalLow\NPKI) is awaited by
// watching its nearest existing parent for new folders, without its sub-tree; the rescan that the
// new folder brings then watches the root itself.

#include "base/handle.h"
#include "base/path.h"
#include "npki/inventory.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

struct WatchTarget {
    Path folder;
    bool subtree = true;  // false: only folders made directly in it, while awaiting a missing root
    bool operator==(const WatchTarget&) const = default;
};

// Which folders to watch for these roots: each existing root with its sub-tree, else its nearest
// existing parent without; roots off fixed drives are skipped. `exists` and `on_fixed_drive` ask
// the machine. A folder is watched once, with its sub-tree when any root asks for it; a folder inside
// another watched sub-tree is not watched again.
template <class Exists, class OnFixedDrive>
std::vector<WatchTarget> watch_targets(const std::vector<Path>& roots, Exists&& exists, OnFixedDrive&& on_fixed_drive);

// What a volume's device says of itself (IOCTL_STORAGE_QUERY_PROPERTY, StorageDeviceProperty).
struct StorageFacts {
    uint32_t bus_type = 0;        // STORAGE_BUS_TYPE
    bool removable_media = false;
};
// Whether folders on a drive are watched: a fixed drive (GetDriveTypeW's number) whose device is on no
// bus that unplugs and has no removable media; one whose device cannot be asked counts as fixed.
bool watchable_drive(unsigned drive_type, const std::optional<StorageFacts>& facts);

// What a WM_DEVICECHANGE event about a watched folder's handle (DBT_DEVTYP_HANDLE) asks of the window.
enum class WatchedDeviceAction : uint8_t {
    None,
    ReleaseWatches,  // removal asked for, pending or done: every watch handle goes now
    WatchAgain,      // the removal was refused: watch as before
};
WatchedDeviceAction watched_device_action(uintptr_t event);

// Whether a changed file's name (relative to the watched folder) can change the list: a certificate
// or key file (".der", ".key", any letter case).
bool file_change_matters(std::wstring_view name);
// The names of a ReadDirectoryChangesW buffer's records (FILE_NOTIFY_INFORMATION), read within
// `bytes`; a record that would run past them ends the list.
std::vector<std::wstring> changed_names(const void* buffer, size_t bytes);

// The watching thread. It owns its handles, posts `message` to `hwnd` for each change and ends when
// the watcher is destroyed (which waits for it; it never blocks on anything but its own events).
class FolderWatcher {
public:
    // None when no thread could be started; an empty list starts none either. Returns at once; the
    // folders are watched on the watcher's own thread, and `armed_event` tells when they are. Device
    // events about the watched handles go to `hwnd` as WM_DEVICECHANGE.
    static std::unique_ptr<FolderWatcher> start(std::vector<WatchTarget> targets, HWND hwnd, UINT message);
    struct Made {};  // only start() makes one
    explicit FolderWatcher(Made) {}
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    const std::vector<WatchTarget>& targets() const { return targets_; }

    // An event of the caller's own (it outlives the watcher) that is set once the folders are watched,
    // or setting them up failed. A scan that waits for it before reading cannot miss a change made
    // while it reads, since the system records changes only from the first watch on. None when the
    // handle cannot be duplicated.
    UniqueKernelHandle armed_event() const;

private:
    std::vector<WatchTarget> targets_;
    UniqueKernelHandle stop_;
    UniqueKernelHandle armed_;  // set by the thread once its folders are watched
    UniqueKernelHandle thread_;
};

// How long a scan waits for the watches to be set up: a local folder takes milliseconds; a disk still
// spinning up is not waited for long, and then the scan may simply start first.
inline constexpr DWORD k_watch_arm_wait_ms = 2000;

// The watch list for the machine: collect_search_roots' roots through watch_targets with the real
// file system and drive types.
std::vector<WatchTarget> watch_targets_for(const std::vector<Path>& roots);

// --- implementation of the template ---

Path parent_folder(const Path& folder);  // "C:\a\b" -> "C:\a"; "C:\" and "\\server\share" have none
bool inside_folder(const Path& folder, const Path& outer);  // case-insensitive, at a backslash

template <class Exists, class OnFixedDrive>
std::vector<WatchTarget> watch_targets(const std::vector<Path>& roots, Exists&& exists, OnFixedDrive&& on_fixed_drive)
{
    std::vector<WatchTarget> wanted;
    for (const Path& root : roots) {
        if (root.empty() || !on_fixed_drive(root)) continue;
        Path folder = root;
        bool subtree = true;
        while (!folder.empty() && !exists(folder)) {
            folder = parent_folder(folder);
            subtree = false;
        }
        if (folder.empty()) continue;
        bool merged = false;
        for (WatchTarget& target : wanted) {
            if (path_key(target.folder) == path_key(folder)) {
                target.subtree = target.subtree || subtree;
                merged = true;
            }
        }
        if (!merged) wanted.push_back({std::move(folder), subtree});
    }
    std::vector<WatchTarget> targets;
    for (const WatchTarget& target : wanted) {
        bool covered = false;
        for (const WatchTarget& other : wanted)
            covered = covered || (other.subtree && &other != &target && inside_folder(target.folder, other.folder));
        if (!covered) targets.push_back(target);
    }
    return targets;
}
