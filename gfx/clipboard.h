#pragma once

// Text onto the clipboard, the way every Windows program pastes it: CR LF line ends, CF_UNICODETEXT.

#include <string>
#include <string_view>

#include <windows.h>

// The UTF-16 the clipboard gets for a UTF-8 text: every line feed becomes CR LF, and a terminating
// zero follows.
std::wstring clipboard_units(std::string_view text);

// Puts the text on the clipboard, owned by `hwnd`. False when any step fails (the clipboard is held
// by another program, memory); the caller then shows nothing.
bool copy_to_clipboard(HWND hwnd, std::string_view text);
