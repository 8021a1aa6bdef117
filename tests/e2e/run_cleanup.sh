#!/usr/bin/env bash
# The toolbar's "Clean up expired (n)" with 15 expired certificates, one of them on the USB drive E:
# only and one on both C: and E:, beside a valid one:
#   - the question counts 15 certificates and 14 folders, lists 12 bullets and "… and 3 more", and
#     says that USB copies stay; its default button is No;
#   - every expired folder on C: lands in the Recycle Bin byte for byte, the valid certificate and the
#     USB copies stay byte for byte, and the notice gives the real count;
#   - run again with only USB copies expired: the USB notice, and nothing is deleted.
# Usage: run_cleanup.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fileops_lib.sh"
fo_init "$1"

fo_places
for serial in $(seq 1 13); do fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester$serial" "$serial" "-$serial"; done
fo_cert "E:\\NPKI\\yessign\\USER\\cn=Tester14" 14 -20
fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester15" 15 -30
fo_cert "E:\\NPKI\\yessign\\USER\\cn=Tester15" 15 -30
fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester16" 16 50
declare -A before
for serial in $(seq 1 13) 15 16; do before[c$serial]=$(fo_hashes "$FO_DEFAULT_UNIX/yessign/USER/cn=Tester$serial"); done
for serial in 14 15; do before[e$serial]=$(fo_hashes "$FO_USB_E/NPKI/yessign/USER/cn=Tester$serial"); done

e2e_start
e2e_wait_window
fo_wait_summary 'Certificates: 16' 30 || e2e_fail "the first scan did not list 16 certificates"

fo_toolbar_button cleanup
fo_wait_box 10 || e2e_fail "no question after Clean up"
[ "$FO_BOX_DEFAULT" = 7 ] || e2e_fail "the question's default button is $FO_BOX_DEFAULT, not No"
[ "$(head -n 1 <<<"$FO_BOX")" = "Send the expired certificates to the Recycle Bin? (certificates: 15, folders: 14)" ] \
    || e2e_fail "first line: $(head -n 1 <<<"$FO_BOX")"
bullets=$(grep -c '^• Tester[0-9]* (KFTC (yessign), until [0-9-]*)$' <<<"$FO_BOX")
[ "$bullets" = 12 ] || e2e_fail "$bullets bullet lines: $FO_BOX"
grep -qxF '… and 3 more' <<<"$FO_BOX" || e2e_fail "no '… and 3 more': $FO_BOX"
[ "$(tail -n 2 <<<"$FO_BOX")" = $'You can restore it from the Recycle Bin.\nCopies on USB drives are left alone.' ] \
    || e2e_fail "end of the question: $FO_BOX"
fo_answer y
fo_wait_notice 'Folders sent to the Recycle Bin: 14' 30 || e2e_fail "no notice with the count 14"

for serial in $(seq 1 13) 15; do
    [ ! -e "$FO_DEFAULT_UNIX/yessign/USER/cn=Tester$serial" ] || e2e_fail "cn=Tester$serial is still in place"
    [ "$(fo_hashes "$FO_TRASH/cn=Tester$serial")" = "${before[c$serial]}" ] || e2e_fail "cn=Tester$serial is not whole in the bin"
done
[ "$(fo_hashes "$FO_DEFAULT_UNIX/yessign/USER/cn=Tester16")" = "${before[c16]}" ] || e2e_fail "the valid certificate changed"
for serial in 14 15; do
    [ "$(fo_hashes "$FO_USB_E/NPKI/yessign/USER/cn=Tester$serial")" = "${before[e$serial]}" ] \
        || e2e_fail "the USB copy of Tester$serial changed"
done
fo_wait_summary 'Certificates: 3' 20 || e2e_fail "the list did not shrink to 3 after the rescan"

# Only USB copies are expired now.
fo_toolbar_button cleanup
fo_wait_box 10 || e2e_fail "no notice for expired certificates on USB drives only"
[ "$FO_BOX" = "All expired certificates are on USB drives. USB drives have no Recycle Bin, so Vessop won't delete there." ] \
    || e2e_fail "USB-only notice: $FO_BOX"
fo_answer Return
for serial in 14 15; do
    [ "$(fo_hashes "$FO_USB_E/NPKI/yessign/USER/cn=Tester$serial")" = "${before[e$serial]}" ] \
        || e2e_fail "the USB copy of Tester$serial changed after the USB notice"
done
e2e_pass
