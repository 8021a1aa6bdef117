#pragma once

// The updater's few platform helpers: error texts, its work folder, reading a whole file, running
// curl, and a detached worker thread that reports by a posted message.

#include "base/path.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

// The user's temporary folder (GetTempPath2W where the system has it, else GetTempPathW) joined with
// "Vessop", created with any missing parents each time; a failure to create it is not reported (the
// transfer into it fails and says so). Empty only when the system names no temporary folder: a
// relative path would put downloads in whatever the current folder is.
std::optional<Path> work_folder();

// Every byte of an open file, from its start. Empty with the error code in `error` on failure.
std::optional<std::vector<uint8_t>> read_whole_file(HANDLE file, DWORD& error);

// Runs System32\curl.exe (under SystemRoot) without a window to fetch `url` into `output` and waits
// for it, through the user's proxy; an older curl that does not know --ssl-revoke-best-effort is
// asked once more without it. Empty on success; otherwise the text to show: "Download failed" for any
// non-zero exit code (no network, HTTP error, time-out, refused redirect, a body longer than
// `max_bytes`), the system's error text when curl cannot be started or waited for.
std::optional<std::string> run_curl(const std::string& url, const Path& output, uint64_t max_bytes);

// Runs `body` on a detached thread of its own. False when no thread could be started.
bool start_detached_thread(std::function<void()> body);

// Posts `message` (wParam and lParam 0). The result waits in its slot, so a post refused because the
// queue is full is tried again for a while; a window that is gone needs nothing.
void post_result(HWND hwnd, UINT message);
