#!/usr/bin/env bash
# A copy of Vessop.exe and vessop-scan.exe in a folder that also holds a DLL under the name of every
# system DLL they use that is not a KnownDLL (a Downloads folder or USB stick an attacker prepared):
# both work as usual and neither loads the plant. A program that binds crypt32.dll at start-up does
# load it there, so the test can tell.
# Wine prefers its builtin DLLs to a DLL beside the program; WINEDLLOVERRIDES asks it for Windows'
# order (the program's folder first, then System32) for these names.
# Usage: run_planted_dll.sh VESSOP_EXE VESSOP_SCAN_EXE PLANTED_DLL
. "$(dirname "$0")/lib.sh"
e2e_init "$1"
scan_exe=$2
planted=$3

folder="$E2E_TMP/Downloads"
mkdir -p "$folder"
names=(bcrypt crypt32 d2d1 d3d11 dwmapi dwrite dxgi uiautomationcore winhttp wintrust wtsapi32)
for name in "${names[@]}"; do cp "$planted" "$folder/$name.dll" || e2e_fail "cannot plant $name.dll"; done
cp "$E2E_EXE" "$scan_exe" "$E2E_BIN/e2e_static_import_probe.exe" "$folder/" || e2e_fail "cannot copy the programs"
overrides=$(IFS=,; printf '%s=n,b' "${names[*]}")
log="$folder/planted.log"

tree="$E2E_TMP/tree"
mkdir -p "$tree"
wtree=$(e2e_winpath "$tree")
e2e_helper e2e_make_fixture count "$wtree" 2 1 >/dev/null || e2e_fail "fixture not written"

# The scan reads both certificates (crypt32 decodes them, bcrypt hashes them) without the plant.
out=$(WINEDLLOVERRIDES=$overrides timeout -k 5 "$E2E_STEP_SECONDS" wine "$folder/vessop-scan.exe" --csv --root "$wtree" \
      2>"$E2E_TMP/scan.err" </dev/null | tr -d '\r') || e2e_fail "vessop-scan.exe failed: $(cat "$E2E_TMP/scan.err")"
[ "$(grep -cE '^Tester[12],' <<<"$out")" -eq 2 ] || e2e_fail "vessop-scan.exe did not list two certificates: $out"
[ ! -e "$log" ] || e2e_fail "vessop-scan.exe loaded a planted DLL: $(cat "$log")"

# The window draws the list (Direct2D, DirectWrite, Direct3D, DWM, UI Automation) without it either.
E2E_EXE="$folder/Vessop.exe"
export WINEDLLOVERRIDES=$overrides
e2e_start --root "$wtree"
e2e_wait_window
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 60)) 600 50 'Certificates: 2' 20 || e2e_fail "summary does not read 2 certificates"
[ ! -e "$log" ] || e2e_fail "Vessop.exe loaded a planted DLL: $(cat "$log")"
e2e_helper e2e_window_probe close >/dev/null
e2e_wait_exit 20 || e2e_fail "Vessop.exe did not end"
[ ! -e "$log" ] || e2e_fail "Vessop.exe loaded a planted DLL while closing: $(cat "$log")"

# The control: a program that binds crypt32.dll when it starts runs the plant.
timeout -k 5 "$E2E_STEP_SECONDS" wine "$folder/e2e_static_import_probe.exe" >/dev/null 2>&1 </dev/null
grep -qi 'crypt32.dll' "$log" 2>/dev/null || e2e_fail "the control did not load the planted crypt32.dll: the test cannot tell"
e2e_pass
