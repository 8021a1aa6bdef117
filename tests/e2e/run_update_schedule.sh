#!/usr/bin/env bash
# The automatic check on the real Vessop.exe: it runs once a day at start-up, records the time before
# it asks, shows nothing when it fails or the manifest is bad, and does not run again within the day,
# nor while "LastUpdateCheck" lies in the future, nor ever with "AutoUpdate" 0.
# Usage: run_update_schedule.sh VESSOP_EXE RELEASE_DIR
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/update_lib.sh"
e2e_init "$1"
upd_init "$2"

# A run that must not check: the window opens, scans, and curl stays unused for a while.
no_check_in() # WHAT
{
    local runs
    runs=$(upd_curl_runs)
    upd_start
    sleep 3  # that nothing happens: no check within this time
    [ "$(upd_curl_runs)" -eq "$runs" ] || e2e_fail "$1: a check ran"
    upd_close
}

# 1. The server fails (HTTP error): nothing is shown, and the attempt counts as the day's check.
echo 22 >"$UPD_SITE/update.json.exit"
e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck
before=$(upd_now)
upd_start
upd_wait_curl_runs 1 20 || e2e_fail "the due check did not run"
sleep 2  # that nothing happens: no box or notice after the failed check
upd_box_open && e2e_fail "a failed check opened a message box"
upd_no_notice || e2e_fail "a failed automatic check showed a notice"
last=$(e2e_reg_query "$UPD_KEY" LastUpdateCheck) || e2e_fail "LastUpdateCheck not written"
[ "$last" -ge "$before" ] && [ "$last" -le "$(upd_now)" ] || e2e_fail "LastUpdateCheck is $last"
upd_close

# 2. Started again the same day: no check, and the failed attempt is not retried.
no_check_in "within the day after a failed check"
[ "$(e2e_reg_query "$UPD_KEY" LastUpdateCheck)" = "$last" ] || e2e_fail "LastUpdateCheck changed without a check"

# 3. A time in the future (the clock was set back) suppresses the check.
future=$(($(upd_now) + 5 * 86400))
e2e_reg_add "$UPD_KEY" LastUpdateCheck REG_SZ "$future"
no_check_in "LastUpdateCheck in the future"
[ "$(e2e_reg_query "$UPD_KEY" LastUpdateCheck)" = "$future" ] || e2e_fail "a future LastUpdateCheck was rewritten"

# 4. "AutoUpdate" 0: never, although a day has passed; nothing is written.
old=$(($(upd_now) - 2 * 86400))
e2e_reg_add "$UPD_KEY" LastUpdateCheck REG_SZ "$old"
e2e_reg_add "$UPD_KEY" AutoUpdate REG_DWORD 0
no_check_in "AutoUpdate 0"
[ "$(e2e_reg_query "$UPD_KEY" LastUpdateCheck)" = "$old" ] || e2e_fail "AutoUpdate 0 still wrote LastUpdateCheck"

# 5. Turned on again and a day old: the check runs; a manifest with a plain http:// url is refused
#    without a word, and no installer is asked for.
e2e_reg_add "$UPD_KEY" AutoUpdate REG_DWORD 1
rm -f "$UPD_SITE/update.json.exit"
upd_serve_manifest "$UPD_VERSION" "http://$UPD_HOST/Vessop/Vessop-Setup-$UPD_VERSION.exe" "$(upd_sha256 "$UPD_RELEASE")"
runs=$(upd_curl_runs)
upd_start
upd_wait_curl_runs $((runs + 1)) 20 || e2e_fail "the check did not run after AutoUpdate 1"
sleep 2  # that nothing happens: no offer, notice or installer download
upd_box_open && e2e_fail "a bad manifest opened the offer"
upd_no_notice || e2e_fail "a bad manifest in an automatic check showed a notice"
[ "$(upd_curl_runs)" -eq $((runs + 1)) ] || e2e_fail "an installer was asked for"
[ "$(e2e_reg_query "$UPD_KEY" LastUpdateCheck)" -gt "$old" ] || e2e_fail "LastUpdateCheck not rewritten"
upd_close
e2e_pass
