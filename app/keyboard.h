#pragma once

// The keyboard: Tab and Shift+Tab move the focus through the window, Up and Down move it between cards
// or pane rows while its ring shows (else they scroll, as do the other listed keys), Enter and Space
// run the focused element's command, Escape closes the pane. The focus ring shows from the first key
// that moves the focus until the mouse is used.

#include "app/window_state.h"

#include <windows.h>

// WM_KEYDOWN, with its lParam (bit 30: the key was already down, an auto-repeat).
void on_key_down(HWND hwnd, WPARAM virtual_key, LPARAM key_data);
