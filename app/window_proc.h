#pragma once

// The main window's procedure: it cracks each message's parameters and hands it to its handler.

#include <windows.h>

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
