#!/usr/bin/env bash
# The list and the detail pane with the mouse and keys: the wheel scrolls the list 120 px a notch and
# stops with the last card 28 px above the bottom; a click on a card opens its pane over a scrim where
# the layout puts it; a click on a row copies its value, "Copy all" copies every row as CR LF text;
# the close button, a click outside and Escape close the pane; a click on the toolbar while the pane
# is open only closes it; the wheel then scrolls the pane, not the list.
# Usage: run_detail.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

# The certificates lie on a removable drive, which is not watched for changes: the eleventh one
# written below shows only if something rescans.
e2e_removable_drive e "$E2E_TMP/usb"
wtree='E:\\'
e2e_helper e2e_make_fixture count "$wtree" 10 1 >/dev/null || e2e_fail "fixture not written"
e2e_start --root "$wtree"
e2e_wait_window
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 10' 20 || e2e_fail "no ten certificates"

# A client area 600 px high: ten cards then scroll 152 + 106 * 9 + 96 + 28 - 600 = 630 px.
IFS=, read -r _ _ ww wh <<<"$(e2e_probe window)"
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
e2e_helper e2e_window_probe resize "$ww" $((wh - ch + 600)) >/dev/null
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
[ "$ch" -eq 600 ] || e2e_fail "client is $cw x $ch"
read -r cx cy <<<"$(e2e_client_origin)"
content=$(( cw - 48 < 960 ? cw - 48 : 960 ))
x0=$(( (cw - content + 1) / 2 ))
middle=$((cx + x0 + content / 2))
border=227,230,234

# The wheel: one notch down moves the list 120 px (the second card's outline from 258 to 138); many
# notches stop at 630, the last card's bottom 28 px above the window's; Home goes back to the top.
xdotool mousemove "$middle" $((cy + 300))
e2e_wait_pixel "$middle" $((cy + 258)) 110,191,184 10 || e2e_fail "the card under the pointer is not hovered"
xdotool mousemove "$((cx + 5))" $((cy + 300)) click 5
e2e_wait_pixel "$middle" $((cy + 138)) "$border" 10 || e2e_fail "one notch did not scroll 120 px"
xdotool click --repeat 12 --delay 30 5
e2e_wait_pixel "$middle" $((cy + 476)) "$border" 10 || e2e_fail "the list did not stop at 630"
e2e_shot "$E2E_TMP/end.png"
e2e_expect_pixel "$E2E_TMP/end.png" "$middle" $((cy + 571)) "$border" 0 "last card's bottom at 571"
e2e_expect_pixel "$E2E_TMP/end.png" "$middle" $((cy + 572)) 242,244,247 0 "background below the last card"
xdotool key --window "$E2E_WID" Home
e2e_wait_pixel "$middle" $((cy + 152)) "$border" 10 || e2e_fail "Home did not return to the top"

# The pane of the first card (Tester1, serial 01 00000001): 780 wide, 560 high (600 - 40), 20 from the top.
pw=$(( cw - 40 < 780 ? cw - 40 : 780 ))
px=$(( (cw - pw + 1) / 2 ))
ph=560 py=20
open_pane()
{
    xdotool mousemove "$middle" $((cy + 200)) click 1
    e2e_wait_pixel $((cx + 5)) $((cy + 300)) 150,151,153 10 || e2e_fail "no scrim over the list ($1)"
}
open_pane first
e2e_shot "$E2E_TMP/pane.png"
shot=$E2E_TMP/pane.png
e2e_expect_pixel "$shot" $((cx + 5)) $((cy + 10)) 158,158,158 1 "scrim over the header"
e2e_expect_pixel "$shot" $((cx + px + 2)) $((cy + py + ph / 2)) 255,255,255 0 "the panel's left edge"
e2e_expect_pixel "$shot" $((cx + px - 2)) $((cy + py + ph / 2)) 158,158,158 1 "just left of the panel"
e2e_expect_pixel "$shot" $((cx + px + pw - 2)) $((cy + py + ph / 2)) 255,255,255 0 "the panel's right edge"
e2e_expect_pixel "$shot" $((cx + px + pw / 2)) $((cy + py + ph + 1)) 158,158,158 1 "below the panel (a card under the scrim)"
e2e_wait_text $((cx + px + 20)) $((cy + py + 10)) 300 44 'Tester1' 10 || e2e_fail "the pane's title"

# Row 11, "Serial number": 64 below the panel's top, 32 a row.
xdotool mousemove $((cx + px + 300)) $((cy + py + 64 + 32 * 10 + 16)) click 1
notice=("$((cx + cw / 2 - 200))" "$((cy + ch - 64))" 400 38)
e2e_wait_text "${notice[@]}" 'Copied: Serial number' 10 || e2e_fail "no notice for the copied serial"
[ "$(e2e_helper e2e_window_probe clipboard)" = "0100000001" ] || e2e_fail "clipboard: $(e2e_helper e2e_window_probe clipboard)"
[ "$(xclip -o -selection clipboard 2>/dev/null)" = "0100000001" ] || e2e_fail "X clipboard: $(xclip -o -selection clipboard)"

# "Copy all": 16 lines, CR LF between them and none after the last.
xdotool mousemove $((cx + px + pw - 40)) $((cy + py + ph - 30)) click 1
e2e_wait_text "${notice[@]}" 'Copied all details' 10 || e2e_fail "no notice for Copy all"
all=$(e2e_helper e2e_window_probe clipboard)
lines=$(printf '%s' "$all" | grep -o '\\r\\n' | wc -l)
[ "$lines" -eq 15 ] || e2e_fail "Copy all has $lines line breaks: $all"
[ "$(printf '%s' "$all" | grep -o '\\n' | wc -l)" -eq 15 ] || e2e_fail "a line feed without its carriage return: $all"
case "$all" in "Name (CN): Tester1()0012345678901234\r\n"*) ;; *) e2e_fail "first line: $all" ;; esac
case "$all" in *"\n"|*"\r") e2e_fail "a line break after the last line" ;; esac

# The wheel scrolls the pane (76 px: 512 px of rows in a 436 px viewport), not the list.
separator_x=$((cx + px + 100))
e2e_wait_pixel "$separator_x" $((cy + py + 64 + 32 * 3)) 236,238,241 15 || e2e_fail "no row separator at 160"
xdotool click 5
e2e_wait_pixel "$separator_x" $((cy + py + 64 + 32 * 3 - 76)) 236,238,241 15 || e2e_fail "the pane did not scroll 76 px"

# Closing: the close button, a click outside the panel, Escape; a toolbar click only closes.
closed() { e2e_wait_pixel $((cx + 5)) $((cy + 300)) 242,244,247 10 || e2e_fail "the pane did not close ($1)"; }
xdotool mousemove $((cx + px + pw - 30)) $((cy + py + 32)) click 1
closed "close button"
e2e_expect_pixel "$(e2e_shot "$E2E_TMP/closed.png"; echo "$E2E_TMP/closed.png")" "$middle" $((cy + 152)) "$border" 0 \
    "the list did not scroll under the pane"
open_pane second
xdotool mousemove $((cx + 5)) $((cy + 300)) click 1
closed "outside"
open_pane third
xdotool key --window "$E2E_WID" Escape
closed "Escape"
open_pane fourth
e2e_helper e2e_make_fixture count "$wtree" 1 11 >/dev/null || e2e_fail "eleventh certificate not written"
xdotool mousemove $((cx + cw - 10 - 36 - 6 - 18)) $((cy + 26)) click 1  # the refresh glyph
closed "toolbar"
sleep 2  # that nothing happens: a refresh behind the pane would have shown the eleventh certificate
e2e_shot "$E2E_TMP/after.png"
e2e_ocr "$E2E_TMP/after.png" $((cx + 10)) $((cy + 70)) 600 46 | grep -q 'Certificates: 10' \
    || e2e_fail "the toolbar click behind the pane ran its command"
e2e_pass
