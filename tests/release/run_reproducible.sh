#!/usr/bin/env bash
# Two release builds of one commit, in different folders and at different times, give the same
# unsigned Vessop.exe, vessop-scan.exe and installer: scripts/release --check-reproducible rebuilds the
# fixture's release elsewhere and compares. Then a build date injected into the second build (the PE
# header's link time) must make the check fail and say why: the check can fail.
# Usage: run_reproducible.sh RELEASE_DIR   (the fixture's OUT, whose build/ kept its unsigned files)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
release=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$release/reproducible
"$root/scripts/release" --check-reproducible --against "$release/build" --work "$work" || fail "the builds differ"
status=0
VESSOP_RELEASE_INJECT_DATE=1 "$root/scripts/release" --check-reproducible --against "$release/build" --work "$work" \
    >"$work/injected.txt" 2>&1 || status=$?
cat "$work/injected.txt"
[ "$status" -ne 0 ] || fail "an injected build date went unnoticed"
grep -q "time stamp differs" "$work/injected.txt" || fail "the check did not say what differs"
echo PASS
