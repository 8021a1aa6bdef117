#pragma once

// When scans start and how their results reach the window's state. One scan runs at a time;
// requests made meanwhile collapse into one more scan after it.

#include "app/window_state.h"
#include "fileops/file_ops.h"

// Watches the roots that lie on fixed drives (anew only when they changed).
void watch_roots(WindowState& state, const std::vector<Path>& roots);

// WM_APP_FOLDER_CHANGED: a watched folder changed; the delayed rescan follows.
void on_folder_changed(WindowState& state);

// Window thread only. Starts a scan unless one runs; then only remembers the request.
void start_scan(WindowState& state);

// WM_APP_SCAN_DONE: installs the waiting result, keeps the open certificate by identity, stops the
// searching tick and serves a remembered request.
void on_scan_done(WindowState& state);

// Whether the detail pane was open on an entry of that list.
bool pane_was_open(std::optional<ListedEntries> entries, std::optional<size_t> selection);

// Screen readers learn that the list (or the open pane's rows) was replaced: the elements they hold
// may have gone or moved. `listed_before`: a list was shown; `pane_before`: the pane was open.
void queue_structure_change(WindowState& state, const ViewShape& shape, bool listed_before, bool pane_before);

// What a file command asks of the window afterwards: its notice, a closed detail pane, a scan now or
// after the short file-change delay.
void apply_file_outcome(HWND hwnd, const FileOpOutcome& outcome);
