#pragma once

// Scans run on a thread of their own so the window stays responsive. One runs at a time; requests
// made meanwhile collapse into one more scan after it. The thread owns its roots, touches no window
// state, leaves its result in `pending_scan_result` and posts WM_APP_SCAN_DONE.

#include "app/window_state.h"
#include "base/slot.h"
#include "npki/inventory.h"

// What a scan thread hands over. A scan that could not finish (it ran out of memory) still reports,
// without an inventory, so that the window stops waiting for it and the list it shows stays.
struct ScanOutcome {
    bool completed = false;
    Inventory inventory;
};

// The hand-over slot between the scan thread and the window thread; the newest outcome wins.
Slot<ScanOutcome>& pending_scan_result();

// Window thread only. Starts a scan unless one runs; then only remembers the request.
void start_scan(WindowState& state);

// WM_APP_SCAN_DONE: installs the waiting result, keeps the open certificate by identity, stops the
// searching tick and serves a remembered request.
void on_scan_done(WindowState& state);
