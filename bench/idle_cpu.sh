#!/usr/bin/env bash
# What the program costs while nothing happens, with its folders watched: the real Vessop.exe under
# Xvfb, searching a root of 20 certificates (watched with its sub-tree) and a root that does not exist
# yet (its parent watched for new folders). After the first scan it is left alone for 30 s, and the
# CPU time its process and the Wine server used meanwhile is read from /proc.
# Usage: bench/idle_cpu.sh [BUILD_DIR]
build=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/mingw}
. "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_init "$build/bin/Vessop.exe"

seconds=30
tree="$E2E_TMP/tree" later="$E2E_TMP/later/NPKI"
mkdir -p "$tree" "$(dirname "$later")"
e2e_helper e2e_make_fixture count "$(e2e_winpath "$tree")" 20 1 >/dev/null || e2e_fail "fixture not written"
e2e_start --root "$(e2e_winpath "$tree")" --root "$(e2e_winpath "$later")"
e2e_wait_window
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 20' 30 || e2e_fail "the first scan did not finish"
sleep 3  # the frame after the scan, the pointer's leave and the like are over

# CPU ticks (user + system) of this prefix's processes whose command line names the program.
ticks_of() # PATTERN
{
    local total=0 pid
    for pid in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue  # another prefix's
        total=$((total + $(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo 0)))
    done
    echo "$total"
}
# This prefix's server: it works in a folder named after the prefix's device and inode.
server_dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
server_ticks()
{
    local pid
    for pid in $(pgrep -x wineserver); do
        [[ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" == */"$server_dir" ]] || continue
        awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null && return
    done
    echo 0
}
hz=$(getconf CLK_TCK)
program_before=$(ticks_of 'Vessop\.exe') server_before=$(server_ticks)
sleep "$seconds"
program_after=$(ticks_of 'Vessop\.exe') server_after=$(server_ticks)
ms() { echo $(( ($1) * 1000 / hz )); }
echo "idle for $seconds s with watches armed: Vessop.exe $(ms "$program_after - $program_before") ms of CPU," \
    "wineserver $(ms "$server_after - $server_before") ms (clock tick $((1000 / hz)) ms)"
e2e_pass
