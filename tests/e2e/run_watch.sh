#!/usr/bin/env bash
# The list follows the disk without a click: a certificate folder copied into a watched root by a
# shell command shows up, and goes again when the shell deletes it; a root that did not exist when
# the program started is picked up once a certificate is copied into it.
# Usage: run_watch.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

tree="$E2E_TMP/tree" staging="$E2E_TMP/staging" later="$E2E_TMP/later/NPKI"
mkdir -p "$tree" "$staging" "$(dirname "$later")"
wtree=$(e2e_winpath "$tree")
e2e_helper e2e_make_fixture count "$wtree" 1 1 >/dev/null || e2e_fail "first certificate not written"
# The second certificate is made outside every root, to be copied in by the shell.
e2e_helper e2e_make_fixture count "$(e2e_winpath "$staging")" 1 2 >/dev/null || e2e_fail "second certificate not written"
e2e_start --root "$wtree" --root "$(e2e_winpath "$later")"
e2e_wait_window
read -r cx cy <<<"$(e2e_client_origin)"
summary() { e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 "$1" "${3:-10}" || e2e_fail "$2"; }
summary '^Certificates: 1$' "no first certificate" 20

cp -r "$staging/NPKI/." "$tree/NPKI/"
summary '^Certificates: 2$' "a certificate copied in by the shell did not show without a click"
rm -rf "$tree/NPKI/yessign/USER/"*Tester2*
summary '^Certificates: 1$' "a certificate deleted by the shell did not go"

cp -r "$staging/NPKI" "$(dirname "$later")/"
summary '^Certificates: 2$' "a root made after the start was not picked up"
e2e_pass
