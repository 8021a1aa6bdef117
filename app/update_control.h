#pragma once

// The shell's side of updating: starting a check (at start-up when due, or from the menu) and
// acting on the outcomes the update threads post, which need the window's state (notices) and
// modal UI (the offer's message box).

#include <windows.h>

// Starts an update check; a check the user asked for says so in a notice first.
void request_update_check(HWND hwnd, bool user_initiated);

// WM_APP_UPDATE_CHECKED and WM_APP_UPDATE_READY: the outcomes of the check and of the download.
void on_update_checked(HWND hwnd);
void on_installer_ready(HWND hwnd);
