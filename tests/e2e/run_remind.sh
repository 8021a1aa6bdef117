#!/usr/bin/env bash
# "Vessop.exe --remind" shows no window: with a certificate 7 days from its end it tells about it once
# (its notification names it, "Reminded" keeps the threshold, a click on its icon opens Vessop), a second run
# the same day tells nothing and ends by itself, and so do a run with nothing due and one with reminders
# turned off. (Each wait has a
# deadline that only catches a run that never ends: how long a run takes is not this test's business.)
# Usage: run_remind.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"
key='HKCU\Software\Vessop'

tree="$E2E_TMP/tree"
mkdir -p "$tree/NPKI/yessign/USER"
e2e_helper e2e_make_fixture cert "$(e2e_winpath "$tree/NPKI/yessign/USER/cn=Tester7")" 7 7 >/dev/null \
    || e2e_fail "fixture not written"
wtree=$(e2e_winpath "$tree")

# Runs --remind in the background; sets remind_pid.
remind() { wine "$E2E_EXE" --remind --root "$1" >>"$E2E_TMP/app.log" 2>&1 </dev/null & remind_pid=$!; }
# Waits for the run to end; sets status.
remind_end() # SECONDS
{
    local deadline=$((SECONDS + $1))
    while kill -0 "$remind_pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || e2e_fail "--remind still runs after $1 s"
        sleep 0.1
    done
    status=0
    wait "$remind_pid" || status=$?
}

remind "$wtree"
# Wine shows the notification area as a small window of its own, the notification as a balloon below.
e2e_find_window '^Wine System Tray$' 30 >/dev/null || e2e_fail "no notification icon came up"
e2e_wait_text 0 45 400 55 'Tester.?7.s certificate \(KFTC.*ends in 7 d' 20 \
    || e2e_fail "the notification does not tell about Tester7"
xdotool search --onlyvisible --name '^Vessop$' >/dev/null 2>&1 && e2e_fail "--remind showed a window"
# Recorded once the notification was seen: shown (NIN_BALLOONSHOW) or clicked. Wine 8's notification
# area does not report a balloon as shown, so there the click below records it.
reminded_written() { line=$(e2e_reg_query "$key" Reminded 2>/dev/null) && [ -n "$line" ]; }
reminded_written || e2e_log "Reminded not written while shown: this notification area reports no showing"
# Peak memory of the run (it has scanned and shows its notification) against the window's.
peak() { local pid; pid=$(pgrep -f "$1" | head -n 1); [ -n "$pid" ] && awk '/^VmHWM/{print $2}' "/proc/$pid/status"; }
remind_peak=$(peak 'Vessop.exe --remind')
# A click on the icon opens Vessop and ends the run. (Wine 8 delivers no click on the balloon itself.)
read -r tx ty tw th <<<"$(e2e_x_geometry "$(e2e_find_window '^Wine System Tray$' 5)")"
xdotool mousemove $((tx + 12)) $((ty + th - 13)) click 1
e2e_wait_window
e2e_until "Reminded to be written once the notification was seen" 10 reminded_written
[[ "$line" =~ ^[0-9A-F]{64}\ 7$ ]] || e2e_fail "Reminded is '$line'"
remind_end 65
e2e_helper e2e_window_probe close >/dev/null
e2e_wait_no_window 20 || e2e_fail "the window the click opened did not close"
[ "$status" = 0 ] || e2e_fail "the first run ended with $status"

e2e_start --root "$wtree"
e2e_wait_window
e2e_wait_text 0 0 1280 720 'Certificates: 1' 20 || e2e_fail "the window did not list the certificate"
window_peak=$(peak 'Vessop.exe --root')
e2e_log "peak memory: --remind ${remind_peak:-?} kB, the window ${window_peak:-?} kB"
[ -n "$remind_peak" ] && [ -n "$window_peak" ] && [ "$remind_peak" -lt "$window_peak" ] \
    || e2e_fail "--remind took no less memory than the window"
e2e_helper e2e_window_probe close >/dev/null
e2e_wait_exit 20 || e2e_fail "the window did not close"

# The same day again: told already, so it ends by itself and shows nothing.
remind "$wtree"
remind_end "$E2E_STEP_SECONDS"
[ "$status" = 0 ] || e2e_fail "the second run ended with $status"
[ "$(e2e_reg_query "$key" Reminded)" = "$line" ] || e2e_fail "the second run changed Reminded"

# Nothing due (an empty folder): ends by itself, and the certificate no longer found is pruned.
mkdir -p "$E2E_TMP/empty"
remind "$(e2e_winpath "$E2E_TMP/empty")"
remind_end "$E2E_STEP_SECONDS"
[ "$status" = 0 ] || e2e_fail "the run with nothing due ended with $status"
e2e_log "Reminded after the empty run: '$(e2e_reg_query "$key" Reminded)'"
[ -z "$(e2e_reg_query "$key" Reminded)" ] || e2e_fail "Reminded kept a certificate no longer found"

# Reminders turned off, with the certificate due again: a run the task still starts tells nothing,
# writes nothing and ends by itself.
e2e_reg_add "$key" Reminders REG_DWORD 0
remind "$wtree"
remind_end "$E2E_STEP_SECONDS"
[ "$status" = 0 ] || e2e_fail "the run with reminders off ended with $status"
[ -z "$(e2e_reg_query "$key" Reminded)" ] || e2e_fail "the run with reminders off wrote Reminded"
e2e_pass
