#!/usr/bin/env bash
# The scheduled task "Vessop reminder <SID>" (one per Windows user), read back through the Task
# Scheduler's COM interfaces: made at start-up with the exact command line and the daily 10:00 trigger,
# corrected when the program has moved, removed when the menu turns reminders off, by a start with
# reminders off and by --unregister, and never made by a copy on a removable drive. The one name earlier
# versions gave every user goes when it is this user's task, and stays when it is another's. (Wine 8's Task Scheduler makes no logon triggers and stores neither actions
# nor triggers: there only the task itself, its settings and its removal can be seen.)
# Usage: run_reminder_task.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"
key='HKCU\Software\Vessop'
mkdir -p "$E2E_TMP/empty" "$E2E_TMP/moved"
empty=$(e2e_winpath "$E2E_TMP/empty")

task() { e2e_helper e2e_task_probe >"$E2E_TMP/task.txt"; }
# Waits until the task is there (and, where the scheduler tells, runs the program at a Windows path),
# or until it is gone for "".
wait_task() # WINDOWS_PATH WHAT
{
    local deadline=$((SECONDS + 20)) status
    while :; do
        status=0
        task || status=$?
        if [ -z "$1" ]; then [ "$status" -eq 2 ] && return 0
        elif [ "$status" -eq 0 ]; then
            ! grep -q '^path=' "$E2E_TMP/task.txt" || grep -qxF "path=\"$1\"" "$E2E_TMP/task.txt" && return 0
        fi
        [ $SECONDS -lt $deadline ] || e2e_fail "$2: the task reads $(tr '\n' ' ' <"$E2E_TMP/task.txt")"
        sleep 0.3
    done
}
has() { grep -qF "$1" "$E2E_TMP/task.txt" || e2e_fail "the task lacks $1: $(tr '\n' ' ' <"$E2E_TMP/task.txt")"; }
# Starts a program and waits until its window handles messages (the task is kept before that).
start_program() # UNIX_OR_WINDOWS_PATH
{
    wine "$1" --root "$empty" >>"$E2E_TMP/app.log" 2>&1 </dev/null &
    E2E_APP_PID=$!
    e2e_wait_window
    local deadline=$((SECONDS + 20))
    until e2e_helper e2e_window_probe minmax >/dev/null; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the window does not answer"
        sleep 0.2
    done
}
close_program()
{
    e2e_helper e2e_window_probe close >/dev/null
    e2e_wait_exit 20 || e2e_fail "the program did not end"
}
toggle_reminders() { e2e_choose_from_settings_menu 4; }

# 1. At start-up: made, with the settings and, where the scheduler stores them, the exact command line
# and the daily trigger.
start_program "$E2E_EXE"
wait_task "$(e2e_winpath "$E2E_EXE")" "at start-up"
has '<StartWhenAvailable>true</StartWhenAvailable>'
has '<ExecutionTimeLimit>PT5M</ExecutionTimeLimit>'
has '<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>'
if grep -q '^path=' "$E2E_TMP/task.txt"; then
    has 'arguments=--remind'
    has 'trigger=daily 2026-01-01T10:00:00 1'
    e2e_log "triggers: $(grep '^trigger=' "$E2E_TMP/task.txt" | tr '\n' ' ')"
else
    e2e_log "this Task Scheduler keeps no actions or triggers (Wine 8): command line and triggers not read back"
fi
close_program

# 1b. The shared name of earlier versions: another user's task under it is not touched; this user's goes.
shared_task() { local status=0; e2e_helper e2e_task_probe shared >/dev/null || status=$?; return "$status"; }
shared_task_gone() { ! shared_task; }
e2e_helper e2e_task_probe plant-shared S-1-5-21-0-0-0-1234 >/dev/null || e2e_fail "cannot plant another user's task"
start_program "$E2E_EXE"
wait_task "$(e2e_winpath "$E2E_EXE")" "beside another user's task"
shared_task || e2e_fail "another user's task under the shared name was removed"
close_program
e2e_helper e2e_task_probe plant-shared me >/dev/null || e2e_fail "cannot plant this user's old task"
if e2e_helper e2e_task_probe shared | grep -q '<UserId>S-1-'; then
    start_program "$E2E_EXE"
    e2e_until "this user's task under the shared name to go" 20 shared_task_gone
    close_program
else
    # Wine 8's scheduler keeps no principal: whose the old task is cannot be told, so it stays.
    e2e_log "this Task Scheduler keeps no task's user (Wine 8): the removal of this user's old task not shown"
fi

# 2. The program moved: the next start points the task at the new place.
cp "$E2E_EXE" "$E2E_TMP/moved/Vessop.exe"
moved=$(e2e_winpath "$E2E_TMP/moved/Vessop.exe")
start_program "$E2E_TMP/moved/Vessop.exe"
wait_task "$moved" "after the move"

# 3. The menu turns reminders off (the task goes) and on again (it comes back).
toggle_reminders
wait_task "" "after turning reminders off"
[ "$(e2e_reg_query "$key" Reminders)" = 0x0 ] || e2e_fail "Reminders is not 0"
toggle_reminders
wait_task "$moved" "after turning reminders on"
[ "$(e2e_reg_query "$key" Reminders)" = 0x1 ] || e2e_fail "Reminders is not 1"
close_program

# 3b. Reminders turned off while the program was closed (as an administrator's value would): the next
# start removes the task, and a start with them on makes it again.
e2e_reg_add "$key" Reminders REG_DWORD 0
start_program "$E2E_TMP/moved/Vessop.exe"
wait_task "" "after a start with reminders off"
close_program
e2e_reg_add "$key" Reminders REG_DWORD 1
start_program "$E2E_TMP/moved/Vessop.exe"
wait_task "$moved" "after a start with reminders on"
close_program

# 4. --unregister removes it.
e2e_wine "$E2E_TMP/moved/Vessop.exe" --unregister >>"$E2E_TMP/app.log" 2>&1
wait_task "" "after --unregister"

# 5. A copy on a USB drive registers nothing.
e2e_removable_drive r "$E2E_TMP/usb"
cp "$E2E_EXE" "$E2E_TMP/usb/Vessop.exe"
start_program 'R:\Vessop.exe'
# The task is settled on a thread of its own after the first frame (over a second under Wine): watched
# for as long as a registration takes at start-up in step 1, with time to spare.
deadline=$((SECONDS + 5))
while [ $SECONDS -lt $deadline ]; do
    task; [ $? -eq 2 ] || e2e_fail "the copy on R: registered a task: $(tr '\n' ' ' <"$E2E_TMP/task.txt")"
    sleep 0.5
done
close_program
e2e_pass
