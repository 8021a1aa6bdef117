#pragma once

// "Export list…": the whole certificate list (not only what a search shows) as a CSV file for
// spreadsheets, saved where the user chooses in the system's save dialog.

#include "fileops/file_ops.h"
#include "npki/inventory.h"
#include "x509/dates.h"

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

// "Vessop-2026-12-09.csv": the name the save dialog proposes, with the local date.
std::wstring export_file_name(LocalDate today);

// Asks where, then writes the table beside that place and moves it there once complete. A failure
// says so with the system's message and leaves any earlier file of that name as it was; success is
// told by a notice naming the file. Modal: the window's state must not be held across the call.
FileOpOutcome export_list(HWND owner, const std::vector<CertificateEntry>& entries, int64_t now);
