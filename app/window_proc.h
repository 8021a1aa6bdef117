#pragma once

// The main window's procedure and the state slot it lends WindowState through, plus the two small
// state operations every handler shares: the status notice and scrolling.

#include "app/state_slot.h"
#include "app/window_state.h"

#include <string>

#include <windows.h>

using WindowStateSlot = StateSlot<WindowState>;

// The one slot of the process. Window thread only.
WindowStateSlot& window_state_slot();

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// InvalidateRect of the whole client area without erasing: the next WM_PAINT draws a full frame.
void repaint(HWND hwnd);

// Reads whether a high-contrast theme is on, and its colours; a change repaints.
void update_high_contrast(WindowState& state);

// DWMWA_USE_IMMERSIVE_DARK_MODE; a failure leaves the system's title-bar colours.
void set_dark_title_bar(HWND hwnd, bool dark);

// Shows a short status text for 3 s; a newer notice replaces it and gets its own full 3 s.
void show_notice(WindowState& state, std::string text);

// The same for a caller that does not hold the state: it takes it for the moment; while the state is
// busy or gone the notice is dropped.
void show_notice(std::string text);

// After a menu, message box or folder picker: what the pointer is over now, since the modal loop may
// have swallowed the moves and the leave that would have told us.
void refresh_hover(HWND hwnd);

// Scrolls the open detail pane, else the list, by `delta` pixels (positive = down), kept inside the
// scroll range.
void scroll_by(WindowState& state, float delta);

// How far the list and the detail pane can scroll in the current client area.
float largest_list_offset(const WindowState& state);
float largest_detail_offset(const WindowState& state);
