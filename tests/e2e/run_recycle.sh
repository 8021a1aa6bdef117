#!/usr/bin/env bash
# The card's Recycle button, on the real file system and Wine's Recycle Bin (XDG trash):
#   - one copy in the default place: no chooser, a question whose default button is No (Return keeps
#     everything), then Yes sends the folder to the bin byte for byte, "Sent to the Recycle Bin", and
#     the card is gone after the rescan;
#   - copies on C: and on the removable E:: the chooser lists both places, a separator and
#     "All places (2)"; only E: gives the USB notice and deletes nothing; All places recycles the C:
#     copy alone, the question saying that USB copies stay;
#   - a folder the system refuses to move: "Some couldn't be moved", and the folder stays whole;
#   - a folder replaced after the scan: not touched, "The folder changed since the last scan".
# Usage: run_recycle.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fileops_lib.sh"
fo_init "$1"

fo_places
fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester1" 1 100
fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester2" 2 200
fo_cert "E:\\NPKI\\yessign\\USER\\cn=Tester2" 2 200
fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester3" 3 300
one="$FO_DEFAULT_UNIX/yessign/USER/cn=Tester1"
two_c="$FO_DEFAULT_UNIX/yessign/USER/cn=Tester2"
two_e="$FO_USB_E/NPKI/yessign/USER/cn=Tester2"
three="$FO_DEFAULT_UNIX/yessign/USER/cn=Tester3"
hash_one=$(fo_hashes "$one")
hash_two_c=$(fo_hashes "$two_c")
hash_two_e=$(fo_hashes "$two_e")
hash_three=$(fo_hashes "$three")
[ -n "$hash_one" ] && [ -n "$hash_two_e" ] || e2e_fail "fixture not on disk"

e2e_start
e2e_wait_window
fo_wait_summary 'Certificates: 3' 30 || e2e_fail "the first scan did not list 3 certificates"

# --- One copy: no chooser; the question's default is No.
fo_press_card_button 0 recycle
fo_wait_box 10 || e2e_fail "no question after Recycle"
fo_wait_menu 0 && e2e_fail "a chooser was shown for a certificate with one copy"
[ "$FO_BOX_DEFAULT" = 7 ] || e2e_fail "the question's default button is $FO_BOX_DEFAULT, not No"
folder_line="$FO_DEFAULT\\yessign\\USER\\cn=Tester1"
grep -qxF "Send this certificate folder to the Recycle Bin?" <<<"$FO_BOX" || e2e_fail "question: $FO_BOX"
grep -qE '^Tester1 \(KFTC \(yessign\), until [0-9]{4}-[0-9]{2}-[0-9]{2}\)$' <<<"$FO_BOX" || e2e_fail "label: $FO_BOX"
grep -qxF "$folder_line" <<<"$FO_BOX" || e2e_fail "folder line missing: $FO_BOX"
[ "$(tail -n 1 <<<"$FO_BOX")" = "You can restore it from the Recycle Bin." ] || e2e_fail "last line: $FO_BOX"
fo_answer Return
sleep 1  # that nothing happens: No leaves the folder as it was
[ "$(fo_hashes "$one")" = "$hash_one" ] || e2e_fail "Return (No) changed the folder"

fo_card_button 0 recycle
fo_wait_box 10 || e2e_fail "no question after the second Recycle"
fo_answer y
fo_wait_notice 'Sent to the Recycle Bin' 15 || e2e_fail "no notice 'Sent to the Recycle Bin'"
[ ! -e "$one" ] || e2e_fail "the folder is still in place"
[ "$(fo_hashes "$FO_TRASH/cn=Tester1")" = "$hash_one" ] || e2e_fail "the Recycle Bin does not hold the folder byte for byte"
fo_wait_summary 'Certificates: 2' 20 || e2e_fail "the card did not go after the rescan"

# --- Copies on C: and E: (now the first card).
fo_open_card_menu 0 recycle "no chooser for two copies"
menu=$(fo_menu_text)
grep -q 'Hard disk (C:)' <<<"$menu" || e2e_fail "chooser lacks the C: copy: $menu"
grep -q 'USB drive (E:)' <<<"$menu" || e2e_fail "chooser lacks the E: copy: $menu"
grep -q 'All places (2)' <<<"$menu" || e2e_fail "chooser lacks All places (2): $menu"
xdotool key Down Down Return  # the E: copy alone
fo_wait_box 10 || e2e_fail "no USB notice"
[ "$FO_BOX" = "USB drives have no Recycle Bin, so Vessop won't delete there. To delete it anyway, use 'Open folder' and delete it in File Explorer." ] \
    || e2e_fail "USB notice: $FO_BOX"
fo_answer Return
[ "$(fo_hashes "$two_c")" = "$hash_two_c" ] && [ "$(fo_hashes "$two_e")" = "$hash_two_e" ] \
    || e2e_fail "choosing the USB copy deleted something"

fo_open_card_menu 0 recycle "no chooser the second time"
xdotool key Up Return  # the last item: All places
fo_wait_box 10 || e2e_fail "no question for All places"
[ "$(tail -n 1 <<<"$FO_BOX")" = "Copies on USB drives are left alone." ] || e2e_fail "question end: $FO_BOX"
grep -qxF "$FO_DEFAULT\\yessign\\USER\\cn=Tester2" <<<"$FO_BOX" || e2e_fail "C: folder not listed: $FO_BOX"
grep -q 'E:\\' <<<"$FO_BOX" && e2e_fail "the USB folder is listed: $FO_BOX"
fo_answer y
fo_wait_notice 'Sent to the Recycle Bin' 15 || e2e_fail "no notice after All places"
[ ! -e "$two_c" ] || e2e_fail "the C: copy is still in place"
[ "$(fo_hashes "$FO_TRASH/cn=Tester2")" = "$hash_two_c" ] || e2e_fail "the C: copy is not whole in the bin"
[ "$(fo_hashes "$two_e")" = "$hash_two_e" ] || e2e_fail "the E: copy changed"

# --- A folder the system cannot move: under Wine an unchangeable (immutable) folder.
if fo_freeze "$three"; then
    fo_wait_summary 'Certificates: 2' 20 || e2e_fail "unexpected list before the refused recycle"
    # The rescan after the last recycle has redrawn the cards once the window stops changing.
    fo_client
    e2e_wait_settled "$FO_CX" "$FO_CY" "$FO_CW" "$FO_CH" 10 || e2e_fail "the list kept changing after the recycle"
    fo_card_button 1 recycle
    fo_wait_box 10 || e2e_fail "no question for the refused folder"
    fo_answer y
    # The shell's own warning (the folder cannot go to the bin: delete it for good?) is answered No.
    warning=$(e2e_find_window '^Confirm file deletion$' 10)
    [ -n "$warning" ] || e2e_fail "the shell did not warn that the folder cannot be recycled"
    xdotool windowfocus --sync "$warning" key n
    fo_wait_notice "Some couldn.t be moved" 15 || e2e_fail "no notice 'Some couldn't be moved'"
    fo_thaw "$three"
    [ "$(fo_hashes "$three")" = "$hash_three" ] || e2e_fail "the refused folder is not whole"
else
    e2e_log "SKIP refused recycle: this file system cannot make a folder immutable (chattr +i)"
fi

# --- A folder replaced between the question and the answer (the same files in a new folder of the
#     same name): left alone, and the notice says why.
fo_wait_summary 'Certificates: 2' 20 || e2e_fail "unexpected list before the replaced folder"
fo_client
e2e_wait_settled "$FO_CX" "$FO_CY" "$FO_CW" "$FO_CH" 10 || e2e_fail "the list kept changing"
in_bin=$(find "$FO_TRASH" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
fo_card_button 1 recycle
fo_wait_box 10 || e2e_fail "no question for the folder to be replaced"
{ mv "$three" "$three.old" && cp -a "$three.old" "$three" && rm -rf "$three.old"; } || e2e_fail "cannot replace $three"
fo_answer y
fo_wait_notice 'The folder changed since the last scan' 15 || e2e_fail "no notice for the replaced folder"
[ "$(fo_hashes "$three")" = "$hash_three" ] || e2e_fail "the replaced folder was touched"
[ "$(find "$FO_TRASH" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)" = "$in_bin" ] || e2e_fail "the replaced folder went to the bin"
e2e_pass
