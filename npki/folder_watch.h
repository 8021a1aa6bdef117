#pragma once

// The list follows the disk by itself: the search roots on fixed drives are watched for new,
// renamed, deleted and rewritten files and folders (a certificate a bank's web page saved, a folder
// copied in by hand or deleted elsewhere), and each change posts one message, which the window turns
// into its delayed rescan. Removable drives are left to WM_DEVICECHANGE: an open watch handle would
// keep Windows from removing the drive safely.
//
// A root that does not exist yet (the first certificate creates LocalLow\NPKI) is awaited by
// watching its nearest existing parent for new folders, without its sub-tree; the rescan that the
// new folder brings then watches the root itself.

#include "base/handle.h"
#include "base/path.h"
#include "npki/inventory.h"

#include <memory>
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

// The watching thread. It owns its handles, posts `message` to `hwnd` for each change and ends when
// the watcher is destroyed (which waits for it; it never blocks on anything but its own events).
class FolderWatcher {
public:
    // None when no thread could be started; an empty list starts none either. Returns once the
    // folders are watched (or after a short wait for a slow disk): a scan started after it cannot
    // miss a change made while it reads, since the system records changes only from the first watch.
    static std::unique_ptr<FolderWatcher> start(std::vector<WatchTarget> targets, HWND hwnd, UINT message);
    struct Made {};  // only start() makes one
    explicit FolderWatcher(Made) {}
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    const std::vector<WatchTarget>& targets() const { return targets_; }

private:
    std::vector<WatchTarget> targets_;
    UniqueKernelHandle stop_;
    UniqueKernelHandle armed_;  // set by the thread once its folders are watched
    UniqueKernelHandle thread_;
};

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
