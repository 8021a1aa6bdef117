# Helpers of the end-to-end tests of the file commands (recycle, clean-up, copy, open folder, added
# folders), sourced after lib.sh: USB drives, the default place, the card and toolbar buttons found on
# the screen, the program's message boxes read through Win32, popup menus read by OCR, file hashes.

# The folders made immutable during a test; the exit trap thaws them before the folder is removed.
FO_FROZEN=()

fo_cleanup()
{
    local status=$? path
    for path in "${FO_FROZEN[@]}"; do chattr -R -i "$path" >/dev/null 2>&1; done
    (exit "$status")
    e2e_cleanup
}

# e2e_init, with the exit trap that also thaws frozen folders.
fo_init() # VESSOP_EXE
{
    e2e_init "$@"
    trap fo_cleanup EXIT
}

# Makes a Unix folder unchangeable even for root (who ignores permission bits), as a folder Windows
# would refuse to touch. Status 1 when the file system or the container does not allow it.
fo_freeze() # UNIX_PATH
{
    chattr +i "$1" >/dev/null 2>&1 || return 1
    FO_FROZEN+=("$1")
}

fo_thaw() # UNIX_PATH
{
    chattr -i "$1" >/dev/null 2>&1
}

# Maps a drive letter to a fresh folder as a removable ("floppy") drive; its Unix folder in FO_USB_X.
fo_usb_drive() # LETTER
{
    e2e_removable_drive "$1" "$E2E_TMP/usb-$1"
    printf -v "FO_USB_${1^^}" '%s' "$E2E_TMP/usb-$1"
}

# The PC's default place: FO_DEFAULT (Windows path) and FO_DEFAULT_UNIX.
fo_default_place()
{
    local profile
    profile=$(e2e_wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
    [ -n "$profile" ] || e2e_fail "no USERPROFILE"
    FO_DEFAULT="$profile\\AppData\\LocalLow\\NPKI"
    FO_DEFAULT_UNIX="$WINEPREFIX/drive_c/users/${profile##*\\}/AppData/LocalLow/NPKI"
}

# The places most tests need: a USB drive E:, the PC's default place, and the Recycle Bin's folder.
fo_places()
{
    fo_usb_drive e
    fo_default_place
    FO_TRASH="$XDG_DATA_HOME/Trash/files"
}

# One certificate folder (holder TesterSERIAL, DAYS left) at a Windows path.
fo_cert() # WINDOWS_FOLDER SERIAL DAYS
{
    e2e_helper e2e_make_fixture cert "$1" "$2" "$3" >/dev/null || e2e_fail "fixture $1 not written"
}

# "relative-path sha256" of every file below a Unix folder, sorted; empty for a missing folder.
fo_hashes() # UNIX_FOLDER
{
    [ -e "$1" ] || return 0
    (cd "$1" && find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
}

# Geometry of the client area: FO_CX FO_CY (screen origin), FO_CW FO_CH.
fo_client()
{
    IFS=, read -r FO_CX FO_CY FO_CW FO_CH <<<"$(e2e_probe client)"
}

# Runs of at least 20 pixels on a screen row that differ from the row's last pixel: "start end" per
# run, absolute x, left to right. Buttons are flat fills on a flat background.
fo_runs() # FILE X Y WIDTH
{
    convert "$1" -crop "${4}x1+$2+$3" -depth 8 txt:- 2>/dev/null | awk -v x0="$2" '
        NR > 1 { c[n++] = $3 }
        END {
            bg = c[n - 1]; start = -1
            for (i = 0; i <= n; i++) {
                inside = i < n && c[i] != bg
                if (inside && start < 0) start = i
                if (!inside && start >= 0) { if (i - start >= 20) print x0 + start, x0 + i - 1; start = -1 }
            }
        }'
}

# Moves the pointer off every button, so that no hover colour is in the next screenshot.
fo_pointer_away()
{
    xdotool mousemove --sync $((FO_CX + 5)) $((FO_CY + FO_CH - 5)) >/dev/null 2>&1
    e2e_wait_settled "$FO_CX" "$FO_CY" "$FO_CW" "$FO_CH" 10 || e2e_fail "the window kept changing after the pointer left"
}

# Clicks a button of card INDEX (0 = top of the list, not scrolled): copy, open or recycle.
fo_card_button() # INDEX copy|open|recycle
{
    fo_client
    fo_pointer_away
    local width=$((FO_CW - 48)) left top runs
    [ "$width" -gt 960 ] && width=960
    left=$(( (FO_CW - width + 1) / 2 ))
    top=$((152 + 106 * $1))
    e2e_shot "$E2E_TMP/card.png"
    # Three pixels below the buttons' top edge: inside their fill, above their labels.
    mapfile -t runs < <(fo_runs "$E2E_TMP/card.png" $((FO_CX + left + 72)) $((FO_CY + top + 57)) $((width - 76)))
    [ "${#runs[@]}" -ge 3 ] || e2e_fail "card $1: buttons not found (${runs[*]})"
    local pick
    case $2 in
        copy) pick=${runs[-3]} ;;
        open) pick=${runs[-2]} ;;
        recycle) pick=${runs[-1]} ;;
    esac
    read -r a b <<<"$pick"
    xdotool mousemove --sync $(((a + b) / 2)) $((FO_CY + top + 69)) click 1
}

# Clicks a toolbar text button: add (Add folder) or cleanup (Clean up expired).
fo_toolbar_button() # add|cleanup
{
    fo_client
    fo_pointer_away
    e2e_shot "$E2E_TMP/toolbar.png"
    # Menu and refresh are 36 px squares from the right; the text buttons follow to their left.
    local runs
    mapfile -t runs < <(fo_runs "$E2E_TMP/toolbar.png" $((FO_CX + 240)) $((FO_CY + 11)) $((FO_CW - 94 - 240 + 3)))
    local index=-1
    [ "$1" = cleanup ] && index=-2
    [ "${#runs[@]}" -ge $((-index)) ] || e2e_fail "toolbar button $1 not found (${runs[*]})"
    read -r a b <<<"${runs[$index]}"
    xdotool mousemove --sync $(((a + b) / 2)) $((FO_CY + 26)) click 1
}

# Visible windows without a name (popup menus among them), one id per line.
fo_unnamed_windows()
{
    xdotool search --onlyvisible --name '^$' 2>/dev/null | sort
}

# Waits for a popup menu that was not there before (FO_BEFORE, from fo_unnamed_windows); sets
# FO_MENU to its id. Status 1 when none came.
fo_wait_menu() # SECONDS
{
    local deadline=$((SECONDS + $1)) id
    FO_MENU=""
    while [ $SECONDS -lt $deadline ]; do
        id=$(comm -13 <(printf '%s\n' "$FO_BEFORE") <(fo_unnamed_windows) | head -n 1)
        if [ -n "$id" ]; then
            FO_MENU=$id
            local x y w h
            read -r x y w h <<<"$(e2e_x_geometry "$FO_MENU")"
            e2e_wait_settled "$x" "$y" "$w" "$h" 10 || e2e_fail "the menu was not drawn"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# The text of the menu FO_MENU, read by OCR.
fo_menu_text()
{
    local x y w h
    read -r x y w h <<<"$(e2e_x_geometry "$FO_MENU")"
    e2e_shot "$E2E_TMP/menu.png"
    e2e_ocr "$E2E_TMP/menu.png" "$x" "$y" "$w" "$h"
}

# Waits for the program's message box; FO_BOX holds its text, FO_BOX_DEFAULT its default button id
# (6 Yes, 7 No, 1 OK). Status 1 when none came.
fo_wait_box() # SECONDS
{
    local deadline=$((SECONDS + $1)) out
    while [ $SECONDS -lt $deadline ]; do
        if out=$(e2e_helper e2e_window_probe msgbox); then
            FO_BOX=$(printf '%s\n' "$out" | sed '$d')
            FO_BOX_DEFAULT=$(printf '%s\n' "$out" | tail -n 1 | sed 's/^default=//')
            local width height
            read -r width height <<<"$(xdotool getdisplaygeometry)"
            e2e_wait_settled 0 0 "$width" "$height" 10 || e2e_fail "the message box was not drawn"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Answers the open message box (FO_BOX) with a key (y, n, Return) and waits until it is gone: closed,
# or replaced by another box with another text.
fo_answer() # KEY
{
    local previous=$FO_BOX deadline=$((SECONDS + 10)) out
    xdotool key "$1"
    while out=$(e2e_helper e2e_window_probe msgbox); do
        [ "$(printf '%s\n' "$out" | sed '$d')" = "$previous" ] || return 0
        [ $SECONDS -lt $deadline ] || e2e_fail "the message box did not close after $1"
        sleep 0.2
    done
}

# Waits for the status notice (bottom of the client area) to read a pattern.
fo_wait_notice() # REGEX SECONDS
{
    fo_client
    e2e_wait_text $((FO_CX + 16)) $((FO_CY + FO_CH - 70)) $((FO_CW - 32)) 48 "$1" "$2"
}

# Waits for the summary headline to read a pattern ("Certificates: 2").
fo_wait_summary() # REGEX SECONDS
{
    fo_client
    e2e_wait_text $((FO_CX + 10)) $((FO_CY + 60)) 600 50 "$1" "$2"
}

# Opens nothing itself: waits for the folder picker titled TITLE, types a folder into it and confirms
# it (Wine 8's picker ignores Return in the name box: Tab to the button, then space).
fo_pick_folder() # TITLE WINDOWS_PATH
{
    local picker
    picker=$(e2e_find_window "^$1\$" 30) || e2e_fail "the folder picker '$1' did not open"
    xdotool windowfocus --sync "$picker" >/dev/null 2>&1
    local x y w h
    read -r x y w h <<<"$(e2e_x_geometry "$picker")"
    e2e_wait_settled "$x" "$y" "$w" "$h" 10 || e2e_fail "the folder picker was not drawn"
    xdotool type --delay 20 "$2"
    xdotool key Tab space
    local deadline=$((SECONDS + 10))
    while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the folder picker did not close"
        sleep 0.2
    done
}

# Stores "Folders" (the added folders) as given; `reg add` cannot write line feeds, an import can.
fo_set_folders() # TEXT
{
    python3 - "$E2E_TMP/folders.reg" "$1" <<'PY' || e2e_fail "cannot write the Folders file"
import sys
data = (sys.argv[2] + "\0").encode("utf-16-le")
with open(sys.argv[1], "w", encoding="utf-16") as f:
    f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vessop]\r\n")
    f.write('"Folders"=hex(1):' + ",".join("%02x" % b for b in data) + "\r\n")
PY
    e2e_wine reg import "$(e2e_winpath "$E2E_TMP/folders.reg")" >>"$E2E_TMP/reg.log" 2>&1 || e2e_fail "reg import"
}

# Prints "Folders" exactly as stored (its line feeds as they are), or "<missing>".
fo_folders()
{
    rm -f "$E2E_TMP/export.reg"
    e2e_wine reg export 'HKCU\Software\Vessop' "$(e2e_winpath "$E2E_TMP/export.reg")" /y >>"$E2E_TMP/reg.log" 2>&1
    python3 - "$E2E_TMP/export.reg" <<'PY'
import re, sys
try:
    text = open(sys.argv[1], encoding="utf-16").read()
except OSError:
    text = ""
m = re.search(r'^"Folders"="((?:[^"\\]|\\.)*)"\r?$', text, re.M)
if not m:
    sys.stdout.write("<missing>")
else:
    sys.stdout.write(re.sub(r'\\(.)', lambda e: {"n": "\n", "r": "\r", "0": "\0"}.get(e.group(1), e.group(1)), m.group(1)))
PY
}

# Clicks a card's button, noting the popups open before it (for fo_wait_menu).
fo_press_card_button() # INDEX copy|open|recycle
{
    FO_BEFORE=$(fo_unnamed_windows)
    fo_card_button "$1" "$2"
}

# Clicks a card's button and waits for the menu it opens (the place chooser or the copy destinations).
fo_open_card_menu() # INDEX copy|open|recycle WHAT
{
    fo_press_card_button "$1" "$2"
    fo_wait_menu 10 || e2e_fail "no menu: $3"
}

# Opens a card's menu and chooses its item at a position (1-based, separators skipped by the keys).
fo_choose_from_card() # INDEX copy|open|recycle POSITION
{
    fo_open_card_menu "$1" "$2" "menu of card $1's $2 button"
    local keys=()
    for _ in $(seq 1 "$3"); do keys+=(Down); done
    xdotool key "${keys[@]}" Return
}

# Clicks the toolbar's menu glyph (the rightmost square).
fo_settings_menu()
{
    fo_client
    FO_BEFORE=$(fo_unnamed_windows)
    xdotool mousemove --sync $((FO_CX + FO_CW - 28)) $((FO_CY + 26)) click 1
    fo_wait_menu 10 || e2e_fail "the settings menu did not open"
}
