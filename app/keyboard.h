#pragma once

// The keyboard: Tab and Shift+Tab move the focus through the window, Up and Down move it between cards
// or pane rows while its ring shows (else they scroll, as do the other listed keys), Enter and Space
// run the focused element's command, Escape closes the pane. The focus ring shows from the first key
// that moves the focus until the mouse is used.

#include "app/window_state.h"

#include <windows.h>

// WM_KEYDOWN, with its lParam (bit 30: the key was already down, an auto-repeat).
void on_key_down(HWND hwnd, WPARAM virtual_key, LPARAM key_data);

// Moves the keyboard focus; a change is announced to screen readers once the message is handled.
void focus_on(WindowState& state, const HitTarget& focus);
// Scrolls the list or the pane so that the focused card or row is wholly in view.
void bring_focus_into_view(WindowState& state);
// Moves the focus as a key does: the ring shows and the element scrolls into view.
void show_focus_on(WindowState& state, const HitTarget& focus);

// A mouse button or the wheel: the focus ring goes (the focus stays where it is).
void hide_focus_cues(WindowState& state);
void hide_focus_cues();  // takes the state itself
