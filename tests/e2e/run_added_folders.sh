#!/usr/bin/env bash
# Added folders, through the toolbar's "Add folder" (the real folder picker, a typed path) and the
# settings menu's "Remove an added folder":
#   - a picked folder is stored and scanned;
#   - picking it again in another spelling (the stored one in lower case with a trailing backslash)
#     writes nothing, yet scans again;
#   - removing the second of three stores the other two, and the former third answers as the second
#     item (id 201); removing the only one stores the empty text and the submenu is gone.
# Usage: run_added_folders.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fileops_lib.sh"
fo_init "$1"

backup="$E2E_TMP/backup"; b="$E2E_TMP/b"; c="$E2E_TMP/c"
mkdir -p "$backup" "$b" "$c"
wbackup=$(e2e_winpath "$backup"); wb=$(e2e_winpath "$b"); wc=$(e2e_winpath "$c")
fo_cert "$wbackup\\NPKI\\yessign\\USER\\cn=Tester1" 1 100
fo_cert "$wb\\NPKI\\yessign\\USER\\cn=Tester2" 2 200
fo_cert "$wc\\NPKI\\yessign\\USER\\cn=Tester3" 3 300
e2e_reg_delete_value 'HKCU\Software\Vessop' Folders

e2e_start  # the default places and drives, then the added folders
e2e_wait_window
fo_wait_summary 'No certificates found' 30 || e2e_fail "the first scan found certificates"

# --- Add a folder through the picker.
fo_toolbar_button add
fo_pick_folder 'Folder with certificates \(an NPKI folder or above\)' "$wbackup"
fo_wait_summary 'Certificates: 1' 20 || e2e_fail "the added folder was not scanned"
[ "$(fo_folders)" = "$wbackup" ] || e2e_fail "Folders holds '$(fo_folders)', not the picked folder"

# --- The same place in another spelling: nothing written, but a scan.
stored="z${wbackup:1}\\"
fo_set_folders "$stored"
fo_cert "$wbackup\\NPKI\\yessign\\USER\\cn=Tester4" 4 400
fo_toolbar_button add
fo_pick_folder 'Folder with certificates \(an NPKI folder or above\)' "$wbackup"
fo_wait_summary 'Certificates: 2' 20 || e2e_fail "adding a listed folder did not scan again"
[ "$(fo_folders)" = "$stored" ] || e2e_fail "adding a listed folder rewrote Folders: '$(fo_folders)'"

# --- Remove the second of three, then the former third by its new position, then the last one.
fo_set_folders "$wbackup"$'\n'"$wb"$'\n'"$wc"
xdotool key F5
fo_wait_summary 'Certificates: 4' 20 || e2e_fail "three added folders were not all scanned"
remove_item() # POSITION (1-based) in the submenu
{
    fo_settings_menu
    local keys=(Down Down Down Right)  # past Language and Export list
    for _ in $(seq 2 "$1"); do keys+=(Down); done
    xdotool key "${keys[@]}" Return
}
remove_item 2
fo_wait_summary 'Certificates: 3' 20 || e2e_fail "removing the second folder did not scan again"
[ "$(fo_folders)" = "$wbackup"$'\n'"$wc" ] || e2e_fail "after removing the second: '$(fo_folders)'"
remove_item 2
fo_wait_summary 'Certificates: 2' 20 || e2e_fail "removing the former third did not scan again"
[ "$(fo_folders)" = "$wbackup" ] || e2e_fail "after removing the former third: '$(fo_folders)'"
remove_item 1
fo_wait_summary 'No certificates found' 20 || e2e_fail "removing the last folder did not scan again"
[ "$(fo_folders)" = "" ] || e2e_fail "after removing the last: '$(fo_folders)', not the empty text"
fo_settings_menu
menu=$(fo_menu_text)
grep -q 'Language' <<<"$menu" || e2e_fail "could not read the settings menu: $menu"
grep -q 'Remove an added folder' <<<"$menu" && e2e_fail "the submenu is still there: $menu"
xdotool key Escape
e2e_pass
