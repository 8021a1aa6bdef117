#!/usr/bin/env bash
# A helper that never ends fails its test at the step deadline, naming what it waited for, what the
# program printed and where the screenshot lies, long before CTest's time-out would stop it without a word.
# (That it was the step deadline and not CTest's is read from the message, not from a clock.)
# Usage: run_hung_helper.sh VESSOP_EXE   (run_hung_helper.sh --inner VESSOP_EXE is the hung test)
if [ "${1:-}" = "--inner" ]; then
    . "$(dirname "$0")/lib.sh"
    e2e_init "$2"
    e2e_start_on_fixture 1
    answer=$(e2e_helper e2e_window_probe hang)
    e2e_log "the hung helper answered '$answer'"
    e2e_pass
fi

keep=$(mktemp -d /tmp/vessop-hung.XXXXXX)
trap 'rm -rf "$keep"' EXIT
E2E_KEEP_DIR=$keep bash "$0" --inner "$1" >"$keep/out.txt" 2>&1
status=$?
cat "$keep/out.txt"
fail() { echo "FAIL: $*"; exit 1; }
[ "$status" -ne 0 ] || fail "the hung test passed"
grep -q 'FAIL: e2e_window_probe hang did not finish within 30 s' "$keep/out.txt" || fail "no word of what hung"
grep -q "the program printed nothing\|the program's last output" "$keep/out.txt" || fail "no word of the program's output"
shot=$(sed -n 's/.*screen at failure: //p' "$keep/out.txt")
[ -n "$shot" ] && [ -s "$shot" ] || fail "no screenshot"
grep -q 'the hung helper answered' "$keep/out.txt" && fail "the test went on after the hang"
echo PASS
