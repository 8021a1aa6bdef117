#!/usr/bin/env bash
# vessop-scan.exe against real drive letters, in a private copy of the build's Wine prefix:
#   - certificates in the PC's default place (USERPROFILE\AppData\LocalLow\NPKI) and on a removable
#     drive E: group into one entry each, the default place's copy first;
#   - an added folder E:\ is a root of its own (counted) that reaches E:\NPKI again, and every copy
#     found there a second time is dropped; an added E:\NPKI duplicates the drive's root (not counted);
#   - a removable drive F: without an NPKI folder does not raise the count.
# Wine maps a drive letter through a dosdevices symlink; the type "floppy" under
# HKLM\Software\Wine\Drives makes GetDriveTypeW report DRIVE_REMOVABLE (read when the server starts).
# Usage: scanner_drives.sh VESSOP_SCAN_EXE MAKE_FIXTURE_EXE
set -uo pipefail

scan_exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
fixture_exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
root=$(cd "$(dirname "$0")/.." && pwd)

fail() { echo "FAIL: $*"; exit 1; }
# Every Wine call has a deadline of its own, far below CTest's: a hang fails the test at once, saying
# which step hung.
step_seconds=30
step() # WHAT COMMAND [ARGS...]
{
    local what=$1 status=0
    shift
    timeout -k 5 "$step_seconds" "$@" </dev/null || status=$?
    [ "$status" -eq 124 ] || [ "$status" -eq 137 ] && fail "$what did not finish within $step_seconds s"
    return "$status"
}

. "$root/scripts/lib.sh"
build=$(vessop_build_dir_of "$scan_exe") || fail "no build folder above $scan_exe"

"$root/scripts/wine-prefix" "$build" || fail "cannot prepare the build's Wine prefix"
. "$root/scripts/wine-env.sh" "$build"
tmp=$(mktemp -d /tmp/vessop-drives.XXXXXX)
cleanup()
{
    if [[ "${WINEPREFIX:-}" == "$tmp"/* ]]; then
        wineserver -k >/dev/null 2>&1 || true
        timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

cp -a "$build/wineprefix-clean" "$tmp/prefix" || fail "cannot copy the Wine prefix"
rm -f "$tmp/prefix/.vessop-ready"
export WINEPREFIX="$tmp/prefix"
export XDG_DATA_HOME="$tmp/xdg"
export LANG=C.UTF-8 TZ=Asia/Seoul
mkdir -p "$XDG_DATA_HOME" "$tmp/usb" "$tmp/empty-usb"

ln -s "$tmp/usb" "$WINEPREFIX/dosdevices/e:" || fail "cannot map E:"
ln -s "$tmp/empty-usb" "$WINEPREFIX/dosdevices/f:" || fail "cannot map F:"
wineserver -p >/dev/null 2>&1 </dev/null
reg() { step "reg $*" wine reg "$@" >>"$tmp/reg.log" 2>&1 || fail "reg $*: $(tail -n 3 "$tmp/reg.log")"; }
reg add 'HKLM\Software\Wine\Drives' /v e: /t REG_SZ /d floppy /f
reg add 'HKLM\Software\Wine\Drives' /v f: /t REG_SZ /d floppy /f
reg add 'HKCU\Software\Vessop' /v Language /t REG_SZ /d en /f
# The drive types are read when the server and its services start.
wineserver -k >/dev/null 2>&1
step "the Wine server's end" wineserver -w >/dev/null 2>&1
wineserver -p >/dev/null 2>&1 </dev/null
step wineboot wine wineboot >/dev/null 2>&1

profile=$(step "cmd /c echo %USERPROFILE%" wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
[ -n "$profile" ] || fail "no USERPROFILE"
usb_z="Z:$(printf '%s' "$tmp/usb" | tr '/' '\\')"
step "the fixture writer" wine "$fixture_exe" count "$profile\\AppData\\LocalLow" 2 1 >/dev/null 2>&1 || fail "fixture in the default place"
step "the fixture writer" wine "$fixture_exe" count "$usb_z" 3 1 >/dev/null 2>&1 || fail "fixture on the USB drive"
[ -d "$tmp/usb/NPKI/yessign/USER" ] || fail "the fixture did not reach the USB folder"

# "Folders" holds line feeds, which `reg add` cannot write: import it as REG_SZ in hex.
set_folders()
{
    python3 - "$tmp/folders.reg" "$1" <<'PY'
import sys
data = (sys.argv[2] + "\0").encode("utf-16-le")
with open(sys.argv[1], "w", encoding="utf-16") as f:
    f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vessop]\r\n")
    f.write('"Folders"=hex(1):' + ",".join("%02x" % b for b in data) + "\r\n")
PY
    reg import "$tmp/folders.reg"
}

scan() # OUTPUT_FILE [ARGS...]
{
    local out=$1
    shift
    local status=0
    step "vessop-scan.exe $*" wine "$scan_exe" "$@" >"$out" 2>"$out.err" || status=$?
    [ "$status" -eq 0 ] || fail "vessop-scan.exe $* exited with $status: $(cat "$out.err")"
}

check() # JSON_FILE EXPECTED_FOLDERS_CHECKED
{
    python3 - "$1" "$2" "$profile" <<'PY' || fail "unexpected inventory in $1"
import json, sys
path, checked, profile = sys.argv[1], int(sys.argv[2]), sys.argv[3]
inventory = json.load(open(path, encoding="utf-8"))
problems = []
def expect(cond, what):
    if not cond:
        problems.append(what)
expect(inventory["folders_checked"] == checked, "folders_checked %s, wanted %d" % (inventory["folders_checked"], checked))
entries = {e["serial_hex"]: e for e in inventory["entries"]}
expect(sorted(entries) == ["0100000001", "0100000002", "0100000003"], "serials %s" % sorted(entries))
default_place = (profile + "\\AppData\\LocalLow\\NPKI\\yessign\\USER\\").lower()
for serial, entry in entries.items():
    copies = entry["copies"]
    on_pc = serial != "0100000003"
    expect(len(copies) == (2 if on_pc else 1), "%s has %d copies" % (serial, len(copies)))
    usb = copies[-1]
    expect(usb["folder"].startswith("E:\\NPKI\\yessign\\USER\\"), "%s USB copy at %s" % (serial, usb["folder"]))
    expect(usb["drive"] == "E:" and usb["removable"] is True, "%s USB copy drive %s removable %s" % (serial, usb["drive"], usb["removable"]))
    expect(usb["place_label"] == "USB drive (E:)", "%s USB label %s" % (serial, usb["place_label"]))
    if on_pc:
        pc = copies[0]
        expect(pc["folder"].lower().startswith(default_place), "%s first copy at %s" % (serial, pc["folder"]))
        expect(pc["drive"] == "C:" and pc["removable"] is False, "%s PC copy drive %s removable %s" % (serial, pc["drive"], pc["removable"]))
        expect(pc["place_label"] == "Hard disk (C:)", "%s PC label %s" % (serial, pc["place_label"]))
        expect(pc["ca_folder_name"] == "yessign" and usb["ca_folder_name"] == "yessign", "%s CA folders" % serial)
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
PY
}

# Default places and drives only: the default place and E:\NPKI exist; F:\NPKI does not.
scan "$tmp/plain.json"
check "$tmp/plain.json" 2

# Added folders: E:\ is a new root reaching E:\NPKI again; E:\NPKI duplicates the drive's root.
set_folders $'E:\\\nE:\\NPKI\ne:\\npki\\'
scan "$tmp/added.json"
check "$tmp/added.json" 3

# Command-line roots replace everything: the drive alone, reached twice through different roots.
scan "$tmp/roots.json" --root 'E:\' --root 'E:\NPKI'
python3 - "$tmp/roots.json" <<'PY' || fail "unexpected inventory for --root"
import json, sys
inventory = json.load(open(sys.argv[1], encoding="utf-8"))
assert inventory["folders_checked"] == 2, inventory["folders_checked"]
assert len(inventory["entries"]) == 3
assert all(len(e["copies"]) == 1 and e["copies"][0]["removable"] for e in inventory["entries"])
PY

# Names that Win32 rewrites, made on the Unix side as a stick written by another system carries them:
# "kim." and "kim " would be opened as "kim", "..." as the USER folder itself. Only kim is listed, once.
odd="$tmp/odd/NPKI/yessign/USER"
mkdir -p "$odd"
step "the fixture writer" wine "$fixture_exe" cert "Z:$(printf '%s' "$odd/kim" | tr '/' '\\')" 11 100 >/dev/null 2>&1 \
    || fail "fixture for kim"
step "the fixture writer" wine "$fixture_exe" cert "Z:$(printf '%s' "$tmp/expired" | tr '/' '\\')" 12 -30 >/dev/null 2>&1 \
    || fail "fixture for the others"
for name in 'kim.' 'kim ' '...' 'CON' 'nul.der'; do cp -r "$tmp/expired" "$odd/$name" || fail "cannot make $name"; done
scan "$tmp/odd.json" --root "Z:$(printf '%s' "$tmp/odd" | tr '/' '\\')"
python3 - "$tmp/odd.json" <<'PY' || fail "names Win32 rewrites were listed"
import json, sys
entries = json.load(open(sys.argv[1], encoding="utf-8"))["entries"]
folders = [c["folder"] for e in entries for c in e["copies"]]
assert [e["serial_hex"].upper() for e in entries] == ["010000000B"], [e["serial_hex"] for e in entries]
assert len(folders) == 1 and folders[0].endswith("\\USER\\kim"), folders
PY

# UAC virtualisation's copy of Program Files (x86)\NPKI is a default place: listed without --root.
local_app_data=$(step "cmd /c echo %LOCALAPPDATA%" wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
[ -n "$local_app_data" ] || fail "no LOCALAPPDATA"
virtual="$local_app_data\\VirtualStore\\Program Files (x86)\\NPKI\\yessign\\USER\\cn=virtual"
step "the fixture writer" wine "$fixture_exe" cert "$virtual" 13 100 >/dev/null 2>&1 || fail "fixture in the VirtualStore"
scan "$tmp/virtual.json"
python3 - "$tmp/virtual.json" <<'PY' || fail "the VirtualStore copy was not listed"
import json, sys
entries = json.load(open(sys.argv[1], encoding="utf-8"))["entries"]
found = [c["folder"] for e in entries if e["serial_hex"].upper() == "010000000D" for c in e["copies"]]
assert len(found) == 1 and found[0].endswith("\\VirtualStore\\Program Files (x86)\\NPKI\\yessign\\USER\\cn=virtual"), found
PY

echo "PASS"
