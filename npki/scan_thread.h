#pragma once

// Scans run on a thread of their own so the window stays responsive. The thread owns its roots,
// touches nothing of the window but the one message it posts, and leaves its result in
// `pending_scan_result` first.

#include "base/handle.h"
#include "base/path.h"
#include "base/slot.h"
#include "npki/inventory.h"
#include "npki/search.h"

#include <vector>

#include <windows.h>

// What a scan thread hands over. A scan that could not finish (it ran out of memory) still reports,
// without an inventory, so that the window stops waiting for it and the list it shows stays.
struct ScanOutcome {
    bool completed = false;
    Inventory inventory;
    std::vector<SearchKey> search_keys;  // one per entry, made here so a large list costs the window nothing
};

// The hand-over slot between the scan thread and the window thread; the newest outcome wins.
Slot<ScanOutcome>& pending_scan_result();

// Starts a detached thread that scans `roots`, puts its outcome in the slot and then posts `message`
// (wParam and lParam 0) to `hwnd`. The thread first waits, for at most k_watch_arm_wait_ms, for
// `watches_armed` when there is one (the folder watcher's), so that the window's thread never waits for
// a disk. False when no thread could be started (nothing will be posted).
bool start_scan_thread(std::vector<Path> roots, HWND hwnd, UINT message, UniqueKernelHandle watches_armed = {});
