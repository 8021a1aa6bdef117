#!/usr/bin/env bash
# Device loss: a build of Vessop whose Present reports DXGI_ERROR_DEVICE_REMOVED on request, and whose
# next swap chain creation then fails too (tests/e2e/device_loss_calls.cpp). The window must draw its
# cards again by itself, in order (the old swap chain gone before the new one is made), and at no time
# may two swap chains exist for it. How long the recovery takes is bench/device_loss.sh's to report.
# Usage: run_device_loss.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"
e2e_start_losing_device
xdotool mousemove 0 0
e2e_wait_pixel "$middle" $((cy + 152)) 227,230,234 20 || e2e_fail "no card before the loss"

# The hover over the first card asks for a frame, whose Present loses the device; the frame that
# follows the recovery shows the hovered outline.
touch "$trigger"
xdotool mousemove "$middle" $((cy + 200))
deadline=$((SECONDS + 10))
while [ -e "$trigger" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no frame was presented after the trigger"
    sleep 0.05
done
# A new device under Wine takes half a second when idle and several on a loaded machine: the wait is
# long, because how quick the recovery is belongs to the bench, not to this test.
e2e_wait_pixel "$middle" $((cy + 152)) 110,191,184 30 \
    || e2e_fail "the window was not drawn again after the device loss; swap chains: $(tr '\n' ';' <"$E2E_TMP/gfx.log")"
# And the rest of the window with it: the second card's outline, the header.
e2e_shot "$E2E_TMP/after.png"
e2e_expect_pixel "$E2E_TMP/after.png" "$middle" $((cy + 258)) 227,230,234 1 "second card after the recovery"
e2e_expect_pixel "$E2E_TMP/after.png" $((cx + 300)) $((cy + 20)) 255,255,255 0 "header after the recovery"

e2e_log "swap chains: $(tr '\n' ';' <"$E2E_TMP/gfx.log")"
grep -q ' lost ' "$E2E_TMP/gfx.log" || e2e_fail "the device was never lost"
grep -q ' create failed (injected) ' "$E2E_TMP/gfx.log" || e2e_fail "the first creation after the loss did not fail"
[ "$(grep -c ' created ' "$E2E_TMP/gfx.log")" -ge 2 ] || e2e_fail "no second swap chain was made"
# Windows refuses a second flip-model swap chain for the window while the first exists: the program
# must not even try.
grep -q 'still held' "$E2E_TMP/gfx.log" && e2e_fail "a swap chain was asked for while the old one was still held"
grep -Eq 'live=([2-9]|[1-9][0-9])' "$E2E_TMP/gfx.log" && e2e_fail "two swap chains existed for the window at once"
# After the loss: the old swap chain destroyed, then a new one made, then a frame presented.
python3 - "$E2E_TMP/gfx.log" <<'PY' || e2e_fail "the recovery was out of order"
import sys
names = [l.split(" ", 1)[1].split(" live=")[0] for l in open(sys.argv[1]).read().splitlines()]
rest = names[names.index("lost") + 1:]
assert "destroyed" in rest and "created" in rest and "presented" in rest, names
assert rest.index("destroyed") < rest.index("created") < rest.index("presented"), names
PY
e2e_pass
