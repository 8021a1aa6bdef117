#pragma once

// The shell's services: what every message handler shares. The slot that lends the window's state,
// repainting, the status notice, scrolling, hover, the keyboard focus and the detail pane. They act on
// the state and call only the layers below; the handlers (commands, keyboard, scans, menus, updates,
// UI Automation) call them, and the window procedure calls the handlers.

#include "app/state_slot.h"
#include "app/window_state.h"

#include <cstddef>
#include <string>

#include <windows.h>

using WindowStateSlot = StateSlot<WindowState>;

// The one slot of the process. Window thread only.
WindowStateSlot& window_state_slot();

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
// The same for a caller that holds the state (after the list under the pointer changed).
void refresh_hover(WindowState& state);

// Asks for WM_MOUSELEAVE unless it is asked for already. A hover set without a mouse move (after a
// drag or a modal loop) needs it too: the pointer may leave without another move reaching the window,
// and the hover would then stay on. Called with the pointer already outside, Windows posts the
// leave at once.
void track_mouse_leave(WindowState& state);

// Scrolls the open detail pane, else the list, by `delta` pixels (positive = down), kept inside the
// scroll range.
void scroll_by(WindowState& state, float delta);

// The left button went down on the shown scroll bar at client y: on its thumb it starts a drag, above
// or below it the view moves a page, as a Windows scroll bar does.
void press_scroll_bar(WindowState& state, float y);
// While a thumb is held, the pointer at client y moves the view with it; true when a thumb is held.
bool drag_thumb(WindowState& state, float y);
// The button came up or the capture went: the thumb is let go.
void end_thumb_drag(WindowState& state);

// How far the list and the detail pane can scroll in the current client area.
float largest_list_offset(const WindowState& state);
float largest_detail_offset(const WindowState& state);

// Moves the keyboard focus; a change is announced to screen readers once the message is handled, when
// the window holds the keyboard focus.
void focus_on(WindowState& state, const HitTarget& focus);

// The window gained (WM_SETFOCUS) or lost (WM_KILLFOCUS) the keyboard focus; losing it drops a focus
// event not yet sent.
void on_keyboard_focus(WindowState& state, bool gained);

// Scrolls the list or the pane so that the focused card or row is wholly in view.
void bring_focus_into_view(WindowState& state);

// Moves the focus as a key does: the ring shows and the element scrolls into view.
void show_focus_on(WindowState& state, const HitTarget& focus);

// A mouse button or the wheel: the focus ring goes (the focus stays where it is).
void hide_focus_cues(WindowState& state);
void hide_focus_cues();  // takes the state itself

// Opens the detail pane on an entry; the keyboard focus moves into it, on its first row.
void open_detail(WindowState& state, size_t index);

// Closes it; the keyboard focus returns to its card (brought into view while the focus ring shows).
void close_detail(WindowState& state);
