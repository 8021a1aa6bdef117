#!/usr/bin/env bash
# F5 and a click on the toolbar's refresh button both search again.
# Usage: run_refresh.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_start_on_fixture 1
read -r cx cy <<<"$(e2e_client_origin)"
IFS=, read -r _ _ cw _ <<<"$(e2e_probe client)"
summary=("$((cx + 10))" "$((cy + 60))" 600 50)
e2e_wait_text "${summary[@]}" 'Certificates: 1' 20 || e2e_fail "first scan did not show 1 certificate"

e2e_helper e2e_make_fixture count "$wtree" 1 2 >/dev/null || e2e_fail "second certificate not written"
xdotool windowfocus --sync "$E2E_WID" >/dev/null 2>&1
xdotool key --window "$E2E_WID" F5
e2e_wait_text "${summary[@]}" 'Certificates: 2' 20 || e2e_fail "F5 did not search again"

# The refresh glyph is the second toolbar square from the right: 36 x 36 at 96 DPI, 10 px from the
# right edge plus the menu square and its 6 px gap, vertically centred in the 52 px header.
e2e_helper e2e_make_fixture count "$wtree" 1 3 >/dev/null || e2e_fail "third certificate not written"
xdotool mousemove --sync $((cx + cw - 10 - 36 - 6 - 18)) $((cy + 26)) click 1
e2e_wait_text "${summary[@]}" 'Certificates: 3' 20 || e2e_fail "the refresh button did not search again"
e2e_pass
