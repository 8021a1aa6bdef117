#!/usr/bin/env bash
# How long the window takes to draw again after its graphics device is lost: the test build of
# Vessop.exe whose Present reports DXGI_ERROR_DEVICE_REMOVED on request (tests/e2e/device_loss_calls.cpp),
# under Xvfb on 3 certificates. The device is lost LOSSES times (default 7); for each, the time from the
# loss to the first frame presented after it is read from the build's own log (GetTickCount64, so the
# figures carry its 10-16 ms steps). Prints each time and their median.
# Usage: bench/device_loss.sh [BUILD_DIR] [LOSSES]
build=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/mingw}
losses=${2:-7}
. "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_init "$build/bin/Vessop.exe"
e2e_start_losing_device
presented() { grep -c ' presented ' "$E2E_TMP/gfx.log"; }

for i in $(seq 1 "$losses"); do
    touch "$trigger"
    # A frame is asked for by moving the pointer over the cards, to and fro.
    xdotool mousemove "$middle" $((cy + 200 + (i % 2) * 106))
    deadline=$((SECONDS + 30))
    until [ "$(presented)" -ge "$i" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "loss $i: no frame was presented again: $(tail -n 5 "$E2E_TMP/gfx.log" | tr '\n' ';')"
        [ -e "$trigger" ] && xdotool mousemove "$middle" $((cy + 200 + ((i + 1) % 2) * 106))
        sleep 0.05
    done
done

python3 - "$E2E_TMP/gfx.log" <<'PY' || e2e_fail "the log could not be read"
import statistics, sys
events = [(int(l.split(" ", 1)[0]), l.split(" ", 1)[1].split(" live=")[0]) for l in open(sys.argv[1]).read().splitlines()]
times, lost = [], None
for tick, name in events:
    if name == "lost":
        lost = tick
    elif name == "presented" and lost is not None:
        times.append(tick - lost)
        lost = None
print("device loss to the next frame presented, ms: %s" % " ".join(str(t) for t in times))
print("median %d ms over %d losses (min %d, max %d)" % (statistics.median(times), len(times), min(times), max(times)))
PY
e2e_pass
