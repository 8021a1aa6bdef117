#!/usr/bin/env bash
# Runs a command with a private Xvfb display, for the tests that need real windows.
# Usage: with_display.sh COMMAND [ARGS...]
set -uo pipefail
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null; }
trap cleanup EXIT
# Displays 170 and up: the end-to-end tests take theirs from 80.
for n in $(seq 170 250); do
  { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
  Xvfb ":$n" -screen 0 1280x720x24 -nolisten tcp -nolisten unix-abstract >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then
      export DISPLAY=":$n" VESSOP_KEEP_DISPLAY=1 VESSOP_REQUIRE_DISPLAY=1
      "$@"
      exit $?
    fi
    sleep 0.1
  done
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=""
done
echo "with_display.sh: no free X display" >&2
exit 1
