#include "app/update_control.h"

// This build has no update server to ask: a check starts nothing, so no outcome is ever posted and
// the two handlers have nothing to take.

void request_update_check(HWND, bool) {}

void on_update_checked(HWND) {}

void on_installer_ready(HWND) {}
