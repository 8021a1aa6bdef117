#pragma once

// The per-user scheduled task that runs "Vessop.exe --remind": at logon (after five minutes) and
// daily at 10:00, only while the user is logged on, without elevation. Kept through the Task
// Scheduler's COM interfaces; every failure is silent (the next start tries again). COM must be
// initialised on the calling thread.

#include <string>
#include <string_view>

inline constexpr wchar_t k_reminder_task_name[] = L"Vessop reminder";
inline constexpr wchar_t k_reminder_task_arguments[] = L"--remind";

// Whether a program at this path may register the task: not from a removable or network drive
// (a copy carried on a USB stick must not leave a task behind that points at it).
bool may_register_reminder_task(const std::wstring& program_path);

// Creates the task, or corrects it when it is missing its triggers or runs another program.
void keep_reminder_task(const std::wstring& program_path);

// Removes the task; a missing one is fine.
void remove_reminder_task();

// The full path of this process's executable; empty when it cannot be read.
std::wstring this_program_path();
