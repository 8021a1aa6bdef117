#pragma once

// The program's message boxes and its folder picker. Each is modal: the window's state must not be
// held across the call.

#include "base/path.h"

#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

// A Yes/No question with the warning icon, caption "Vessop"; No is the default button, so that
// Return alone never deletes or overwrites anything. True only for Yes.
bool confirm_box(HWND owner, std::string_view text);

// A notice with the information icon and an OK button, caption "Vessop".
void info_box(HWND owner, std::string_view text);

// The system's save dialog for a CSV file, proposing `file_name` in the user's last folder: the chosen
// path (the dialog has asked before replacing a file), or nothing when cancelled or not shown.
std::optional<Path> pick_csv_save_path(HWND owner, std::wstring_view file_name);

// The system's folder picker titled `title`: the chosen folder's file-system path, or nothing when
// the user cancelled or the dialog could not be shown.
std::optional<Path> pick_folder(HWND owner, std::string_view title);
