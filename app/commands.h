#pragma once

// Clicks: every command starts where the left button is released.

#include "fileops/file_ops.h"

#include <windows.h>

// Hit-tests the release point (client pixels) and runs the target's command. The state is held only
// for the hit test and again for the moments a command needs it, never across modal UI.
void on_click(HWND hwnd, float x, float y);

// What a file command asks of the window afterwards: its notice, a closed detail pane, a scan now or
// after the short file-change delay.
void apply_file_outcome(HWND hwnd, const FileOpOutcome& outcome);
