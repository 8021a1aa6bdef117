#!/usr/bin/env bash
# The card's "Open folder" button: File Explorer (Wine's explorer.exe) opens exactly the chosen folder.
#   - copies on C: and on the removable E:: a chooser of the two places without "All places";
#     Escape opens nothing, the second item opens the E: folder and only it;
#   - one copy: no chooser, its folder opens at once. That copy lies where UAC virtualisation put an old
#     32-bit program's Program Files (x86)\NPKI (LOCALAPPDATA\VirtualStore), a default place of its own.
# Usage: run_open_folder.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fileops_lib.sh"
fo_init "$1"

fo_usb_drive e
fo_default_place
fo_cert "$FO_DEFAULT\\yessign\\USER\\cn=Tester1" 1 100
fo_cert 'E:\NPKI\yessign\USER\cn=Tester1' 1 100
local_app_data=$(e2e_wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
[ -n "$local_app_data" ] || e2e_fail "no LOCALAPPDATA"
virtual_store="$local_app_data\\VirtualStore\\Program Files (x86)\\NPKI"
fo_cert "$virtual_store\\yessign\\USER\\cn=Tester2" 2 200

# The folders shown by explorer processes of this test's Wine prefix (other tests may run their own).
explorers()
{
    local pid
    for pid in $(pgrep -f -i 'explorer\.exe'); do
        # grep reads to the end (no -q): under pipefail, tr's SIGPIPE after an early match would count.
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -xF "WINEPREFIX=$WINEPREFIX" >/dev/null || continue
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | sed -E 's/^.*explorer\.exe //I; s/[[:space:]]+$//'
        echo
    done | grep -v -e '^/desktop' -e '^$' | sort
}

e2e_start
e2e_wait_window
fo_wait_summary 'Certificates: 2' 30 || e2e_fail "the first scan did not list 2 certificates"
[ -z "$(explorers)" ] || e2e_fail "a folder window is open before any click: $(explorers)"

fo_open_card_menu 0 open "no chooser for two copies"
menu=$(fo_menu_text)
grep -q 'Hard disk (C:)' <<<"$menu" && grep -q 'USB drive (E:)' <<<"$menu" || e2e_fail "chooser: $menu"
grep -q 'All places' <<<"$menu" && e2e_fail "the chooser offers All places: $menu"
xdotool key Escape
sleep 2  # that nothing happens: no folder opens after Escape
[ -z "$(explorers)" ] || e2e_fail "Escape opened a folder: $(explorers)"

fo_open_card_menu 0 open "no chooser the second time"
xdotool key Down Down Return
deadline=$((SECONDS + 20))
until [ -n "$(explorers)" ] || [ $SECONDS -ge $deadline ]; do sleep 0.3; done
sleep 1  # that nothing more happens: no second folder opens beside the chosen one
[ "$(explorers)" = 'E:\NPKI\yessign\USER\cn=Tester1' ] || e2e_fail "opened: '$(explorers)'"

# One copy: straight to its folder, no chooser.
fo_press_card_button 1 open
fo_wait_menu 2 && e2e_fail "a chooser was shown for one copy"
deadline=$((SECONDS + 20))
until explorers | grep -qxF "$virtual_store\\yessign\\USER\\cn=Tester2" || [ $SECONDS -ge $deadline ]; do sleep 0.3; done
explorers | grep -qxF "$virtual_store\\yessign\\USER\\cn=Tester2" || e2e_fail "the single copy's folder did not open: $(explorers)"
e2e_pass
