#pragma once

// Commands: a click where the left button is released, a key on the focused element and a screen
// reader's Invoke all run the same command of their target.

#include "app/window_state.h"
#include "gfx/hit_target.h"

#include <windows.h>

// The left button went down at (x, y), client pixels: remembers the target there and captures the
// mouse, so that the release comes back to us wherever it happens.
void on_press(HWND hwnd, float x, float y);

// The left button came up at (x, y): runs the target's command when the release lands on the very
// target of a press of ours, as a Windows button does; any other release does nothing.
void on_click(HWND hwnd, float x, float y);

// Someone else took the mouse (a menu, a dialog, Alt+Tab): the press is cancelled.
void on_capture_lost();

// Runs a target's command, exactly as a click on it does; menus and choosers open at (x, y) in client
// pixels. The state must not be held: it is taken only for the moments a command needs it, never
// across modal UI.
void run_command(HWND hwnd, const HitTarget& target, float x, float y);
