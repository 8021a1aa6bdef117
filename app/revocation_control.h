#pragma once

// Asking the issuers which certificates of the list they have revoked: only when the user asks (the
// settings menu, or a click on a certificate's revocation row), after a one-time consent, on a thread
// of its own that a scan running meanwhile does not wait for.

#include "app/window_state.h"

#include <windows.h>

// Window thread; the state must not be held (the consent box is modal). Does nothing while a check
// runs or when the user declines.
void request_revocation_check(HWND hwnd);

// WM_APP_REVOCATION_DONE: the answers join the session's results and the list shows them.
void on_revocation_done(WindowState& state);
