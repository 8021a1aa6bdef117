#pragma once

// Application messages posted by the background threads (wParam and lParam 0; the payload waits in
// a mutex-guarded slot), the two that UI Automation's providers use, and the main window's timers.

#include <windows.h>

inline constexpr UINT WM_APP_SCAN_DONE = WM_APP + 1;
inline constexpr UINT WM_APP_UPDATE_CHECKED = WM_APP + 2;
inline constexpr UINT WM_APP_UPDATE_READY = WM_APP + 3;
// Sent by a provider called on another thread: runs that call on the window thread (lParam: the call).
inline constexpr UINT WM_APP_UIA_CALL = WM_APP + 4;
// Posted by a provider's Invoke: the element's command, run like a click once the call has returned
// (wParam: the target, lParam: its certificate's identity; app/window_logic.h).
inline constexpr UINT WM_APP_INVOKE = WM_APP + 5;
// The reminder's notification-area icon reports clicks and timeouts (app/remind.cpp).
inline constexpr UINT WM_APP_TRAY = WM_APP + 6;
// Posted by the folder watcher when a watched folder changed.
inline constexpr UINT WM_APP_FOLDER_CHANGED = WM_APP + 7;
// Posted by the revocation check's thread when the issuers have answered.
inline constexpr UINT WM_APP_REVOCATION_DONE = WM_APP + 8;

inline constexpr UINT_PTR TIMER_NOTICE = 1;    // removes the status notice
inline constexpr UINT_PTR TIMER_SCANNING = 2;  // repaints while a scan runs
inline constexpr UINT_PTR TIMER_RESCAN = 3;    // one-shot rescan after a device or file change
inline constexpr UINT_PTR TIMER_GFX_RETRY = 4; // one-shot: try again to make the drawing resources

inline constexpr UINT k_scanning_tick_ms = 150;
inline constexpr UINT k_device_rescan_delay_ms = 800;
inline constexpr UINT k_file_rescan_delay_ms = 50;
