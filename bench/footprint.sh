#!/usr/bin/env bash
# What Vessop costs beyond the least a Direct2D window can be: Vessop.exe on 100 certificates and
# bench_minimal_window.exe (one line of text, the same window size) are started in turn under one Wine
# server and one Xvfb, PAIRS times. For each run:
#   start-up: from the launch to the first painted frame (bench/first_frame.py reads the top of the
#             window from the X server every 10 ms: light paper with ink on it, where Wine shows an
#             unpainted window black);
#   memory:   3 s after that frame, the process's VmRSS and its anonymous share (/proc/PID/smaps_rollup).
# Prints the medians of both programs and Vessop's difference and ratio.
# Usage: bench/footprint.sh [BUILD_DIR] [PAIRS]
# VESSOP_EXE measures another Vessop.exe against the same yardstick (e.g. build/release/bin/Vessop.exe,
# the program that ships).
build=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/mingw}
pairs=${2:-15}
. "$(dirname "$0")/../tests/e2e/lib.sh"
# A screen tall enough for both windows' 1000 x 760: on a smaller one Vessop fits itself to the work
# area and the minimal window does not, and their buffers would differ in size.
export E2E_SCREEN=${E2E_SCREEN:-1280x1024x24}
e2e_init "$build/bin/Vessop.exe"
E2E_EXE=${VESSOP_EXE:-$E2E_EXE}  # the helpers still come from the build folder

tree="$E2E_TMP/tree"
mkdir -p "$tree"
e2e_helper e2e_make_fixture count "$(e2e_winpath "$tree")" 100 1 >/dev/null || e2e_fail "fixture not written"
# The pointer rests in the corner, outside both windows: a Vessop card under it would draw its hover
# in an extra frame that the minimal window, which draws no hover, never pays for.
xdotool mousemove 0 0 >/dev/null 2>&1
# Settle the prefix: the first run of a program in a fresh prefix pays for Wine's own set-up.
e2e_helper e2e_window_probe info >/dev/null 2>&1 || true

# The Windows process of a program in this prefix (Wine's preloader runs it under its own name).
pid_of() # PATTERN
{
    local pid
    for pid in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        echo "$pid"
        return 0
    done
    return 1
}

e2e_wait_no_window_titled() # REGEX
{
    local deadline=$((SECONDS + 15))
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the window $1 did not go"
        sleep 0.1
    done
}

# Milliseconds since the epoch.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Runs one program until its first frame has ink in the headline's region, holds 3 s, prints
# "STARTUP_MS RSS_KIB ANON_KIB", and closes it.
measure() # TITLE_REGEX PROCESS_PATTERN EXE [ARGS...]
{
    local title=$1 pattern=$2 start wid x y pid rss anon
    shift 2
    start=$(now_ms)
    e2e_run_app "$@" &
    local app=$!
    # Looked for often: the window can show only just before its first frame.
    local width height painted
    wid=$(e2e_find_window "$title" 60 0.02) || e2e_fail "no window $title"
    read -r x y width height <<<"$(xdotool getwindowgeometry --shell "$wid" |
        awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')"
    # The top of the client area, inside Wine's frame and title bar: Vessop's header and the minimal
    # window's line of text are both there, and a small area keeps the looking cheap (first_frame.py cuts
    # it to the screen's edge).
    painted=$(python3 "$(dirname "$0")/first_frame.py" $((x + 8)) $((y + 30)) $((width - 16)) 120 60) ||
        e2e_fail "$title drew nothing"
    local took=$((painted - start))
    sleep 3
    pid=$(pid_of "$pattern") || e2e_fail "no process $pattern"
    rss=$(awk '/^Rss:/{print $2}' "/proc/$pid/smaps_rollup")
    anon=$(awk '/^Anonymous:/{print $2}' "/proc/$pid/smaps_rollup")
    { kill "$pid"; wait "$app"; } 2>/dev/null  # measured: how it ends does not matter
    e2e_wait_no_window_titled "$title"
    echo "$took $rss $anon"
}

: >"$E2E_TMP/vessop.txt"
: >"$E2E_TMP/minimal.txt"
for pair in $(seq "$pairs"); do
    measure '^Vessop$' 'Vessop\.exe' "$E2E_EXE" --root "$(e2e_winpath "$tree")" >>"$E2E_TMP/vessop.txt"
    measure '^Minimal$' 'bench_minimal_window\.exe' "$build/bin/bench_minimal_window.exe" >>"$E2E_TMP/minimal.txt"
    e2e_log "pair $pair: Vessop $(tail -n 1 "$E2E_TMP/vessop.txt"), minimal $(tail -n 1 "$E2E_TMP/minimal.txt")"
done

python3 - "$E2E_TMP/vessop.txt" "$E2E_TMP/minimal.txt" <<'PY'
import statistics, sys
def columns(name):
    rows = [list(map(int, line.split())) for line in open(name) if line.strip()]
    return [statistics.median(c) for c in zip(*rows)], len(rows)
(v_ms, v_rss, v_anon), n = columns(sys.argv[1])
(m_ms, m_rss, m_anon), _ = columns(sys.argv[2])
mib = lambda kib: kib / 1024
print(f"medians of {n} pairs (Vessop.exe on 100 certificates / the minimal Direct2D window)")
print(f"start-up to the first frame: {v_ms:.0f} ms / {m_ms:.0f} ms = {v_ms / m_ms:.2f}x")
print(f"resident memory: {mib(v_rss):.1f} MiB / {mib(m_rss):.1f} MiB, +{mib(v_rss - m_rss):.1f} MiB")
print(f"anonymous memory: {mib(v_anon):.1f} MiB / {mib(m_anon):.1f} MiB, +{mib(v_anon - m_anon):.1f} MiB")
PY
e2e_pass
