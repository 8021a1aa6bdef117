#!/usr/bin/env bash
# Copy faults: each shows "Couldn't copy." with the system's message and code, and the destination
# stays exactly as it was:
#   - a destination folder nothing may be written to (under Wine, where tests run as root, an
#     immutable folder);
#   - a file where a folder must be created;
#   - a failure in the middle of moving the files in: a folder in the way of the file that comes last,
#     after "Overwrite it?" was answered Yes;
#   - the source folder gone before the copy (its drive removed).
# Usage: run_copy_faults.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fileops_lib.sh"
fo_init "$1"

fo_usb_drive e
t1="$E2E_TMP/t1"; ro="$E2E_TMP/ro"; file="$E2E_TMP/file"; mid="$E2E_TMP/mid"; empty="$E2E_TMP/empty"
mkdir -p "$t1" "$ro" "$file" "$mid" "$empty"
w() { e2e_winpath "$1"; }
fo_cert "$(w "$t1")\\NPKI\\yessign\\USER\\cn=Tester1" 1 100
fo_cert 'E:\NPKI\yessign\USER\cn=Tester2' 2 200
fo_cert "$(w "$mid")\\NPKI\\yessign\\USER\\cn=Tester1" 3 300  # another certificate, same folder name
printf 'a file named NPKI' >"$file/NPKI"
printf 'extra' >"$mid/NPKI/yessign/USER/cn=Tester1/extra.txt"
# The file the copy moves in last (the listing order is the file system's): a folder takes its place.
last=$(ls -U "$t1/NPKI/yessign/USER/cn=Tester1" | tail -n 1)
rm -f "$mid/NPKI/yessign/USER/cn=Tester1/$last"
mkdir "$mid/NPKI/yessign/USER/cn=Tester1/$last"
printf 'inside' >"$mid/NPKI/yessign/USER/cn=Tester1/$last/inside.txt"
state_of() { fo_hashes "$1"; find "$1" | sort; }
mid_before=$(state_of "$mid")

# Menu order: E:, then the test folders in this order, a separator, "Choose another folder…".
e2e_start --root "$(w "$t1")" --root "$(w "$ro")" --root "$(w "$file")" --root "$(w "$mid")" --root "$(w "$empty")" \
    --root 'E:\'
e2e_wait_window
fo_wait_summary 'Certificates: 3' 30 || e2e_fail "the first scan did not list 3 certificates"

expect_failure() # CODE WHAT
{
    fo_wait_box 15 || e2e_fail "$2: no message"
    grep -qE "^Couldn't copy\.$" <<<"$(head -n 1 <<<"$FO_BOX")" || e2e_fail "$2: $FO_BOX"
    [ "$(sed -n 2p <<<"$FO_BOX")" = "" ] || e2e_fail "$2: no empty line after the first: $FO_BOX"
    grep -qE "^.+ \(os error $1\)$" <<<"$(sed -n 3p <<<"$FO_BOX")" || e2e_fail "$2: system text: $FO_BOX"
    e2e_log "$2: $(sed -n 3p <<<"$FO_BOX")"
    fo_answer Return
}

# --- Nothing may be written there.
if fo_freeze "$ro"; then
    fo_choose_from_card 0 copy 3
    expect_failure 5 "unwritable folder"
    fo_thaw "$ro"
    [ -z "$(ls -A "$ro")" ] || e2e_fail "something was written into the unwritable folder"
else
    e2e_log "SKIP unwritable folder: this file system cannot make a folder immutable (chattr +i)"
fi

# --- A file where the NPKI folder must be.
fo_choose_from_card 0 copy 4
expect_failure 183 "file in the way of a folder"
[ "$(ls -A "$file")" = NPKI ] && [ "$(cat "$file/NPKI")" = 'a file named NPKI' ] || e2e_fail "the file in the way changed"

# --- A failure after some files moved in: everything goes back.
fo_choose_from_card 0 copy 5
fo_wait_box 10 || e2e_fail "no overwrite question"
grep -qxF 'Overwrite it?' <<<"$FO_BOX" || e2e_fail "not the overwrite question: $FO_BOX"
fo_answer y
expect_failure 5 "folder in the way of $last"
[ "$(state_of "$mid")" = "$mid_before" ] || e2e_fail "the destination is not as it was after the failed copy"

# --- The source gone (its drive removed) before the copy.
# The copies above changed watched folders, and a rescan they caused may still be due; it would drop
# the card of the removed drive. One more change, seen through to the screen, lets them all pass first.
fo_cert "$(w "$t1")\\NPKI\\yessign\\USER\\cn=Settle" 4 400
fo_wait_summary 'Certificates: 4' 15 || e2e_fail "a certificate written into a watched folder did not show"
rm -rf "$t1/NPKI/yessign/USER/cn=Settle"
fo_wait_summary 'Certificates: 3' 15 || e2e_fail "a certificate deleted from a watched folder did not go"
rm "$WINEPREFIX/dosdevices/e:"
fo_choose_from_card 1 copy 6
expect_failure 3 "source gone"
[ -z "$(ls -A "$empty")" ] || e2e_fail "something was created for a copy whose source was gone"
e2e_pass
