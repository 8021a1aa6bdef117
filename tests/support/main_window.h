#pragma once

// A window that runs the program's own window procedure without an X display: a message-only window
// of a class of the test's own (Wine cannot make a top-level window without a display).

#include "app/shell.h"
#include "app/window_proc.h"

#include <gtest/gtest.h>

#include <windows.h>

inline HWND create_message_only_main_window(const wchar_t* class_name)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassExW(&window_class);  // already registered by an earlier test: fine
    return CreateWindowExW(0, class_name, L"Vessop", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 760, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Reads or changes the window's state between messages, as a handler would hold it.
template <class F>
auto with_state(F&& read)
{
    auto lease = window_state_slot().take();
    EXPECT_TRUE(lease);
    return read(*lease);
}
