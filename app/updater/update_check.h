#pragma once

// The update check: on a detached thread, fetch the manifest with curl into the work folder, read
// and delete it, and compare its version with this build's. The outcome waits in
// `pending_update_check` for the window thread, which the thread then tells with a posted message.

#include "app/updater/manifest.h"
#include "base/slot.h"

#include <windows.h>

struct PendingUpdateCheck {
    UpdateCheckOutcome outcome;
    bool user_initiated = false;
};

// The hand-over slot; a newer outcome replaces one not yet taken.
Slot<PendingUpdateCheck>& pending_update_check();

// The check itself, run on the calling thread: what the thread hands over.
UpdateCheckOutcome run_update_check();

// Starts a detached thread that runs the check, puts (outcome, user_initiated) in the slot and then
// posts `message` to `hwnd`. False when no thread could be started (the check is skipped).
bool start_update_check_thread(HWND hwnd, bool user_initiated, UINT message);
