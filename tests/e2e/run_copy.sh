#!/usr/bin/env bash
# The card's Copy button into the NPKI layout of another place, with test folders as the program's
# places (--root) and a removable drive E: without an NPKI folder:
#   - to the USB drive: E:\NPKI\‹CA›\USER\‹name› is created with byte-identical files;
#   - to the test folder it came from (named with forward slashes): "This certificate is already
#     there", nothing written;
#   - to a test folder holding another certificate's folder of the same name: "Overwrite it?", No
#     changes nothing, Yes replaces the same-named files and leaves the others;
#   - to a picked folder named npki (any case), typed into the real folder picker: ‹CA›\USER\‹name›
#     directly inside it;
#   - a certificate folder given directly as a root has no CA folder: it goes to NPKI\unknown.
# Usage: run_copy.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fileops_lib.sh"
fo_init "$1"

fo_usb_drive e
t1="$E2E_TMP/t1"; t2="$E2E_TMP/t2"; pick="$E2E_TMP/pick/NpKi"
mkdir -p "$t1" "$t2" "$pick"
wt1=$(e2e_winpath "$t1"); wt2=$(e2e_winpath "$t2")
fo_cert "$wt1\\NPKI\\yessign\\USER\\cn=Tester1" 1 100
fo_cert "$wt2\\NPKI\\yessign\\USER\\cn=Tester1" 2 200  # another certificate in a folder of the same name
printf 'left alone' >"$t2/NPKI/yessign/USER/cn=Tester1/extra.txt"
fo_cert 'E:\cn=bare' 3 300
source_hashes=$(fo_hashes "$t1/NPKI/yessign/USER/cn=Tester1")
t1_before=$(fo_hashes "$t1"; find "$t1" | sort)
t2_before=$(fo_hashes "$t2"; find "$t2" | sort)

# The first root spelled with forward slashes, as a user might type it.
e2e_start --root "${wt1//\\//}" --root "$wt2" --root 'E:\cn=bare'
e2e_wait_window
fo_wait_summary 'Certificates: 3' 30 || e2e_fail "the first scan did not list 3 certificates"

# --- To the USB drive: the first item.
fo_open_card_menu 0 copy "no destination menu"
menu=$(fo_menu_text)
grep -q 'To USB drive (E:)' <<<"$menu" || e2e_fail "menu lacks the USB drive: $menu"
grep -q 'To the test folder' <<<"$menu" || e2e_fail "menu lacks the test folders: $menu"
grep -q 'Choose another folder' <<<"$menu" || e2e_fail "menu lacks Choose another folder: $menu"
grep -q "default place" <<<"$menu" && e2e_fail "the default place is offered beside test folders: $menu"
xdotool key Down Return
fo_wait_notice 'Copied to E' 15 || e2e_fail "no 'Copied to' notice for the USB drive"
[ "$(fo_hashes "$FO_USB_E/NPKI/yessign/USER/cn=Tester1")" = "$source_hashes" ] || e2e_fail "the USB copy is not byte-identical"
[ -z "$(find "$FO_USB_E/NPKI" -name '.vessop-copy-*')" ] || e2e_fail "a staging folder was left on the USB drive"

# --- Where it already lies.
fo_choose_from_card 0 copy 2
fo_wait_notice 'This certificate is already there' 15 || e2e_fail "no 'already there' notice"
[ "$(fo_hashes "$t1"; find "$t1" | sort)" = "$t1_before" ] || e2e_fail "copying onto its own folder changed it"

# --- Onto another certificate's folder of the same name: No, then Yes.
fo_choose_from_card 0 copy 3
fo_wait_box 10 || e2e_fail "no overwrite question"
expected=$'A certificate folder with the same name is already there.\n\n'"$wt2"$'\\NPKI\\yessign\\USER\\cn=Tester1\n\nOverwrite it?'
[ "$FO_BOX" = "$expected" ] || e2e_fail "overwrite question: $FO_BOX"
[ "$FO_BOX_DEFAULT" = 7 ] || e2e_fail "the overwrite question's default button is $FO_BOX_DEFAULT, not No"
fo_answer n
[ "$(fo_hashes "$t2"; find "$t2" | sort)" = "$t2_before" ] || e2e_fail "No changed the destination"
fo_choose_from_card 0 copy 3
fo_wait_box 10 || e2e_fail "no overwrite question the second time"
fo_answer y
fo_wait_notice 'Copied to' 15 || e2e_fail "no notice after overwriting"
[ "$(fo_hashes "$t2/NPKI/yessign/USER/cn=Tester1" | grep -v extra.txt)" = "$source_hashes" ] \
    || e2e_fail "the same-named files were not replaced"
[ "$(cat "$t2/NPKI/yessign/USER/cn=Tester1/extra.txt")" = 'left alone' ] || e2e_fail "the extra file was touched"
# Tester2's only folder now holds Tester1: two cards are left.
fo_wait_summary 'Certificates: 2' 20 || e2e_fail "the list did not follow the overwrite"

# --- A picked folder named npki: the last item opens the folder picker.
fo_open_card_menu 0 copy "no destination menu for the picker"
xdotool key Up Return
fo_pick_folder 'Where to copy the certificate' "$(e2e_winpath "$pick")"
fo_wait_notice 'Copied to' 15 || e2e_fail "no notice after copying to the picked folder"
[ "$(fo_hashes "$pick/yessign/USER/cn=Tester1")" = "$source_hashes" ] || e2e_fail "not copied directly into the picked npki folder"
[ ! -e "$pick/NPKI" ] || e2e_fail "an NPKI folder was made inside the picked npki folder"

# --- No CA folder: NPKI\unknown. The bare certificate is the second card now.
fo_choose_from_card 1 copy 2
fo_wait_notice 'Copied to' 15 || e2e_fail "no notice after copying the bare certificate"
[ "$(fo_hashes "$t1/NPKI/unknown/USER/cn=bare")" = "$(fo_hashes "$FO_USB_E/cn=bare")" ] \
    || e2e_fail "the bare certificate did not land in NPKI\\unknown\\USER"
e2e_pass
