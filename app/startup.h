#pragma once

// Start-up of Vessop.exe on the window thread, through to the end of the message loop.

#include <cstdint>
#include <span>
#include <string>

#include <windows.h>

// The whole program: options, COM, the window, the first scan, the automatic update check and the
// message loop. `args` is the full argument vector, the program's own path first. Returns the exit
// code, always 0.
int run_vessop(std::span<const std::wstring> args);

// Registers "Vessop.Main"; a failure is ignored (CreateWindowExW then fails and the program ends).
void register_main_window_class(HINSTANCE instance);

// Applies the saved "Placement" to the still hidden window, or the default size and position.
// Returns whether the window is to be shown maximised.
bool apply_initial_placement(HWND hwnd);

// Decides whether the automatic update check is due at `now_s` (seconds since 1970) from what is
// stored, and when it is, records `now_s` as the last check. Starts nothing: the caller starts the
// check when this returns true.
bool claim_automatic_update_check(uint64_t now_s);

// Starts the automatic update check when it is on and a day has passed since the last one,
// recording the time first.
void run_automatic_update_check(HWND hwnd);
