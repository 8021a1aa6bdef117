#!/usr/bin/env bash
# The settings menu: it opens at the click point with its items in order; a language writes
# "Language" and says when it takes effect; "Automatic updates" shows as on while "AutoUpdate" is
# missing and toggles it 0 <-> 1; About shows its exact text; removing the only added folder stores
# the empty text and the submenu is gone; a scan result arriving while the menu is open is applied.
# Menus belong to their process under Wine, so they are read from the screen.
# Usage: run_menu.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_reg_add 'HKCU\Software\Vessop' Folders REG_SZ 'D:\Backup'
e2e_start_on_fixture 1
read -r cx cy <<<"$(e2e_client_origin)"
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
summary=("$((cx + 10))" "$((cy + 70))" 600 46)
e2e_wait_text "${summary[@]}" 'Certificates: 1' 20 || e2e_fail "first scan did not show 1 certificate"
menu_x=$((cx + cw - 10 - 18)) menu_y=$((cy + 26))
notice=("$((cx + cw / 2 - 250))" "$((cy + ch - 64))" 500 38)

# Waits for N popups (the menu, then its submenu, which may open on either side) and reads the newest:
# its geometry in px py pw ph, its lines "Y<TAB>text" in menu.txt.
main_menu=""
wait_popups() # N
{
    local deadline=$((SECONDS + 10))
    until [ "$(e2e_popup_geometries | wc -l)" -ge "$1" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "popup $1 did not open"
        sleep 0.2
    done
    if [ "$1" -eq 1 ]; then main_menu=$(e2e_popup_geometries | head -n 1); fi
    read -r px py pw ph <<<"$( { [ "$1" -eq 1 ] && echo "$main_menu"; } || e2e_popup_geometries | grep -vx "$main_menu" | head -n 1)"
    e2e_wait_settled "$px" "$py" "$pw" "$ph" 10 || e2e_fail "popup $1 was not drawn"
    e2e_shot "$E2E_TMP/menu.png"
    e2e_ocr_lines "$E2E_TMP/menu.png" "$px" "$py" "$pw" "$ph" >"$E2E_TMP/menu.txt"
}
open_menu() { xdotool mousemove "$menu_x" "$menu_y" click 1; wait_popups 1; }
menus_closed() { ! e2e_popup_geometries >/dev/null; }
wait_closed() { e2e_until "the menu to close" 10 menus_closed; }
line_of() { grep -m 1 "$1" "$E2E_TMP/menu.txt" | cut -f 1; }  # PATTERN -> the line's y
# Whether the check mark column left of a line is inked.
marked() # PATTERN
{
    local y
    y=$(line_of "$1")
    [ -n "$y" ] || e2e_fail "no menu line '$1' in: $(cut -f 2 "$E2E_TMP/menu.txt" | tr '\n' '|')"
    [ "$(e2e_darkest "$E2E_TMP/menu.png" $((px + 2)) $((y - 6)) 14 12)" -lt 100 ]
}

open_menu
items=$(cut -f 2 "$E2E_TMP/menu.txt" | tr '\n' '|')
[[ "$items" =~ Language.*\|Export\ list.*\|Remove\ an\ added\ folder.*\|.*Automatic\ updates\|.*Remind\ me\ before\ certificates\ expire\|Check\ for\ updates\|More\ apps\ from\ Orlentu\|About\ Vessop\|.*Check\ with\ issuers ]] \
    || e2e_fail "menu items: $items"
# At the click point: the top edge at the click's height, the left edge at the click's x unless the
# system moved the menu left to keep it on the screen.
screen_w=$(xdpyinfo | awk '/dimensions:/{split($2, d, "x"); print d[1]}')
[ "$py" -eq "$menu_y" ] && { [ "$px" -eq "$menu_x" ] || { [ "$px" -lt "$menu_x" ] && [ $((px + pw)) -eq "$screen_w" ]; }; } \
    || e2e_fail "menu at $px,$py ($pw wide), clicked at $menu_x,$menu_y"
marked 'Automatic updates' || e2e_fail "Automatic updates is not marked while AutoUpdate is missing"
marked 'About' && e2e_fail "About is marked"

# Language: Right opens the submenu on "Follow Windows" (English is marked: these tests store it);
# eight steps down, past the separator and seven languages, is Deutsch.
xdotool key Down Right
wait_popups 2
marked 'English' || e2e_fail "English is not marked"
xdotool key Down Down Down Down Down Down Down Down Return
wait_closed
[ "$(e2e_reg_query 'HKCU\Software\Vessop' Language)" = "de" ] || e2e_fail "Language is $(e2e_reg_query 'HKCU\Software\Vessop' Language)"
e2e_wait_text "${notice[@]}" 'Takes effect the next time Vessop opens' 10 || e2e_fail "no notice after choosing a language"
open_menu
xdotool key Down Right
wait_popups 2
marked 'Deutsch' || e2e_fail "Deutsch is not marked after choosing it"
marked 'English' && e2e_fail "English stayed marked"
xdotool key Escape Escape
wait_closed

# Automatic updates: the toggle stores 0, then 1; the mark follows.
for want in 0 1; do
    open_menu
    xdotool key Down Down Down Down Return  # past Language, Export list and the added folders
    wait_closed
    [ "$(e2e_reg_query 'HKCU\Software\Vessop' AutoUpdate)" = "0x$want" ] \
        || e2e_fail "AutoUpdate is $(e2e_reg_query 'HKCU\Software\Vessop' AutoUpdate), wanted $want"
    if [ "$want" = 0 ]; then
        open_menu
        marked 'Automatic updates' && e2e_fail "Automatic updates is marked while AutoUpdate is 0"
        xdotool key Escape
        wait_closed
    fi
done

# About: its text read from the message box itself (the item before the last one, the separator skipped).
open_menu
xdotool key Up Up Return
deadline=$((SECONDS + 10))
until about=$(e2e_helper e2e_window_probe msgbox 'About Vessop'); do
    [ $SECONDS -lt $deadline ] || e2e_fail "no About box"
    sleep 0.2
done
want_about=$(printf 'Vessop 0.1.0\n\nA free app to see and manage Korean joint certificates (NPKI) on one screen\n\nIt reads only the public certificate. It never opens private key files or asks for passwords.\n\nhttps://www.tamselworks.example/Vessop/')
[ "$(printf '%s\n' "$about" | head -n 7)" = "$want_about" ] || e2e_fail "About text: $about"
[ "$(printf '%s\n' "$about" | sed -n 8p)" != "" ] && [ "$(printf '%s\n' "$about" | sed -n 9p)" = "default=1" ] \
    || e2e_fail "About: the legal notice line or its OK button: $about"
about_wid=$(xdotool search --onlyvisible --name '^About Vessop$' | head -n 1)
xdotool windowfocus --sync "$about_wid" key Return
about_closed() { ! xdotool search --onlyvisible --name '^About Vessop$' >/dev/null 2>&1; }
e2e_until "the About box to close" 10 about_closed

# A scan result arriving while the menu is open is installed; the menu goes on working.
e2e_helper e2e_make_fixture count "$wtree" 1 2 >/dev/null || e2e_fail "second certificate not written"
open_menu
e2e_helper e2e_post_devicechange 1 0x8000 >/dev/null || e2e_fail "could not post WM_DEVICECHANGE"
e2e_wait_text "${summary[@]}" 'Certificates: 2' 20 || e2e_fail "the scan result waited for the menu"
e2e_popup_geometries >/dev/null || e2e_fail "the menu closed under the scan result"

# Removing the only added folder stores the empty text; the submenu is then gone.
xdotool key Down Down Down Right Return
wait_closed
e2e_reg_query 'HKCU\Software\Vessop' Folders >/dev/null || e2e_fail "Folders is missing"
[ -z "$(e2e_reg_query 'HKCU\Software\Vessop' Folders)" ] || e2e_fail "Folders is '$(e2e_reg_query 'HKCU\Software\Vessop' Folders)'"
open_menu
grep -q 'Remove' "$E2E_TMP/menu.txt" && e2e_fail "the submenu stayed"
xdotool key Escape
e2e_pass
