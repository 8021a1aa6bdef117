#pragma once

// Clicks: every command starts where the left button is released.

#include <windows.h>

// Hit-tests the release point (client pixels) and runs the target's command. The state is held only
// for the hit test and again for the moments a command needs it, never across modal UI.
void on_click(HWND hwnd, float x, float y);
