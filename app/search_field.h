#pragma once

// The search field in the header: a real edit control, so that IME input (Korean, Japanese), the
// clipboard, undo, the caret and screen readers work as in every Windows program. The window draws
// its frame and clear button; the control draws the text in the theme's colours. Each change of its
// text narrows the list at once.
//
// Keys inside it: Escape clears it, and a second Escape gives the focus back to the list; Tab and
// Shift+Tab leave it for the first or last element of the window; Enter and Down move to the first
// card. Ctrl+F anywhere in the window comes back to it.

#include "app/window_state.h"

#include <string>

#include <windows.h>

// Creates the field on the main window; none when the system refuses (the list works without it).
HWND create_search_field(HWND parent);

// Puts the field where the header's layout has it, with the font of the window's DPI. Before every
// frame: the toolbar's width changes with the clean-up button and the language.
void place_search_field(WindowState& state);

// WM_CTLCOLOREDIT of the field: its text and background colours, and the brush of its background.
LRESULT search_field_colours(WindowState& state, HDC dc);

// WM_COMMAND from the field: a changed text filters the list; focus changes redraw its frame.
void on_search_field_command(HWND parent, WORD code);

// Ctrl+F: the focus goes into the field, its text selected.
void focus_search_field(HWND field);

// The clear button: the field empties and keeps the focus.
void clear_search_field(HWND field);

// Applies a query typed so far: the list shows the certificates that match it, the open pane keeps
// its certificate, and the selection, the keyboard focus and the scroll follow; then the hover is
// found again and the window repainted.
void apply_search_query(WindowState& state, const std::string& typed);

// The same without the window: the listed indices, the pane, focus and scroll carried over, and the
// change queued for screen readers. All a keystroke costs before its frame is drawn. False when the
// query is the one already applied (nothing changed).
bool list_search_query(WindowState& state, const std::string& typed);
