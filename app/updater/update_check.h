#pragma once

// The update check against the maker's server. Started at start-up when due (user_initiated false)
// and from the settings menu (true); its outcome arrives as WM_APP_UPDATE_CHECKED.

#include <windows.h>

void start_update_check(HWND hwnd, bool user_initiated);

// WM_APP_UPDATE_CHECKED and WM_APP_UPDATE_READY: the outcomes of the check and of the download.
void on_update_checked(HWND hwnd);
void on_installer_ready(HWND hwnd);
