#!/usr/bin/env bash
# A certificate folder that appears while the program runs shows up after a burst of device
# arrivals. Other device events start nothing. (The rescan's delay after the last event is the unit
# tests' to check, and the time it takes a benchmark's.) The folder
# lies on a removable drive, as a plugged-in one does: those are not watched for changes.
# Usage: run_devicechange.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_removable_drive e "$E2E_TMP/usb"
tree="$E2E_TMP/usb" wtree='E:\'
e2e_helper e2e_make_fixture count "$wtree" 1 1 >/dev/null || e2e_fail "fixture not written"
e2e_start --root "$wtree"
e2e_wait_window
read -r cx cy <<<"$(e2e_client_origin)"
summary=("$((cx + 10))" "$((cy + 60))" 600 50)
e2e_wait_text "${summary[@]}" 'Certificates: 1' 20 || e2e_fail "first scan did not show 1 certificate"

# A second certificate, as if a drive holding it had been plugged in.
e2e_helper e2e_make_fixture count "$wtree" 1 2 >/dev/null || e2e_fail "second certificate not written"

# DBT_DEVNODES_CHANGED (7) is not an arrival or removal: no rescan.
out=$(e2e_helper e2e_post_devicechange 3 7) || e2e_fail "could not post WM_DEVICECHANGE: $out"
sleep 1.5  # that nothing happens: longer than the 800 ms debounce, after which a rescan would show it
e2e_shot "$E2E_TMP/still.png"
e2e_ocr "$E2E_TMP/still.png" "${summary[@]}" | grep -q 'Certificates: 1' || e2e_fail "a non-arrival event rescanned"

# Five arrivals in a burst: one rescan after the last of them.
out=$(e2e_helper e2e_post_devicechange 5 0x8000) || e2e_fail "could not post WM_DEVICECHANGE: $out"
e2e_wait_text "${summary[@]}" 'Certificates: 2' 20 || e2e_fail "the new certificate did not show up"

# A removal is answered the same way.
rm -rf "$tree/NPKI/yessign/USER/"*Tester2*
[ "$(find "$tree" -name signCert.der | wc -l)" -eq 1 ] || e2e_fail "could not remove the second certificate"
out=$(e2e_helper e2e_post_devicechange 2 0x8004) || e2e_fail "could not post WM_DEVICECHANGE: $out"
e2e_wait_text "${summary[@]}" 'Certificates: 1' 20 || e2e_fail "the removed certificate stayed"
e2e_pass
