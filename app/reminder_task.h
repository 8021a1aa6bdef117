#pragma once

// The per-user scheduled task that runs "Vessop.exe --remind": at logon (after five minutes) and
// daily at 10:00, only while the user is logged on, without elevation. Kept through the Task
// Scheduler's COM interfaces; every failure is silent (the next start tries again). COM must be
// initialised on the calling thread.

#include <string>
#include <string_view>

// Each Windows user has a task of their own in the scheduler's root folder, named after their SID as
// other per-user tasks are: one name for the whole PC would let only the first user register it.
inline constexpr std::wstring_view k_reminder_task_prefix = L"Vessop reminder";
inline constexpr wchar_t k_reminder_task_arguments[] = L"--remind";

// "Vessop reminder S-1-5-21-…"; the shared name of earlier versions when the SID is unknown.
std::wstring reminder_task_name(std::wstring_view user_sid);

// The current user's SID as text ("S-1-5-21-…"); empty when the process token cannot be read.
std::wstring current_user_sid();

// The account a task's XML names in its principal (<Principals><Principal><UserId>), trimmed; empty when
// it names none. The logon trigger's own <UserId> does not count.
std::wstring principal_user_of_task_xml(std::wstring_view xml);

// Whether a principal's user is this user: their SID, "DOMAIN\user" or "user", letter case aside.
bool is_own_principal(std::wstring_view principal, std::wstring_view sid, std::wstring_view domain_user);

// Whether a program at this path may register the task: not from a removable or network drive
// (a copy carried on a USB stick must not leave a task behind that points at it).
bool may_register_reminder_task(const std::wstring& program_path);

// Creates the task, or corrects it when it is missing its triggers or runs another program.
void keep_reminder_task(const std::wstring& program_path);

// Removes the task; a missing one is fine. Both also remove the shared-name task of earlier versions
// when it is this user's own (another user's is not theirs to touch).
void remove_reminder_task();

// Brings the task in line with the setting as `wanted` reads it when the work runs: kept for this
// program, or removed. The work runs on a thread of its own (COM initialised there): the Task
// Scheduler's service can take a second to answer, and the window need not wait for it. Runs from
// several calls take turns and each reads the setting afresh, so a late one cannot undo what a later
// change of the setting did. A process that ends first leaves the task as it was; the next start tries
// again.
void settle_reminder_task_in_background(bool (*wanted)());

// The full path of this process's executable; empty when it cannot be read.
std::wstring this_program_path();
