#!/usr/bin/env bash
# Runs a command with a private Xvfb display and a private copy of the build's Wine prefix, for the
# tests that need real windows. The shared prefix's server runs without a display (its desktop
# process may still be starting up display-less when this test begins), so it cannot be used here.
# Usage: with_display.sh BUILD_DIR COMMAND [ARGS...]
set -uo pipefail
build=$1
shift
xvfb_pid=""
tmp=$(mktemp -d)
cleanup() {
  [ -d "$tmp/prefix" ] && WINEPREFIX="$tmp/prefix" wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
"$(dirname "$0")/../scripts/wine-prefix" "$build" && cp -a "$build/wineprefix-clean" "$tmp/prefix" || { echo "with_display.sh: cannot copy the Wine prefix" >&2; exit 1; }
export VESSOP_WINEPREFIX="$tmp/prefix"
# Displays 170 and up: the end-to-end tests take theirs from 80.
. "$(dirname "$0")/../scripts/lib.sh"
vessop_start_xvfb 170 250 1280x720x24 "$tmp/xvfb.log" || { echo "with_display.sh: no free X display" >&2; exit 1; }
xvfb_pid=$VESSOP_XVFB_PID
export VESSOP_KEEP_DISPLAY=1 VESSOP_REQUIRE_DISPLAY=1
"$@"
