#!/usr/bin/env bash
# A click acts as a Windows button does: only a release on the target of its own press. Pressed on
# one card and released on another opens nothing; pressed and released on the same card opens it; a
# double-click on the title bar that maximises the window, which leaves the release over a card of
# the grown window, opens nothing either.
# Usage: run_clicks.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

# A window low on the screen: once maximised, the title bar's place lies over the first card.
placement=$(python3 -c 'import struct; print(struct.pack("<3I2i2i4i", 44, 0, 1, -1, -1, -1, -1, 100, 250, 900, 700).hex())')
e2e_reg_add 'HKCU\Software\Vessop' Placement REG_BINARY "$placement"
e2e_start_on_fixture 6
e2e_card_column
middle=$((cx + x0 + 200))  # clear of the buttons on the right
xdotool mousemove 0 0
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 6' 20 || e2e_fail "no six certificates"
header_white() { e2e_shot "$E2E_TMP/h.png"; [ "$(e2e_pixel "$E2E_TMP/h.png" "$1" "$2")" = "255,255,255" ]; }
pane_stays_shut() # WHAT
{
    sleep 1  # that nothing happens: a pane that opened would show within this time
    local ox oy
    read -r ox oy <<<"$(e2e_client_origin)"
    header_white $((ox + 300)) $((oy + 10)) || e2e_fail "$1 opened the detail pane"
}

# Pressed on the first card, released on the second.
xdotool mousemove "$middle" $((cy + 200)) mousedown 1
xdotool mousemove "$middle" $((cy + 300)) mouseup 1
pane_stays_shut "a press on one card released on another"

# Pressed and released on the second card: its pane opens; Escape closes it.
xdotool mousemove "$middle" $((cy + 300)) click 1
e2e_wait_pixel $((cx + 300)) $((cy + 10)) 158,158,158 10 || e2e_fail "a click on a card did not open its pane"
xdotool key --window "$E2E_WID" Escape
e2e_wait_pixel $((cx + 300)) $((cy + 10)) 255,255,255 10 || e2e_fail "Escape did not close the pane"

# A double-click on the title bar maximises; its release lands in the grown client area.
read -r wx wy _ _ <<<"$(e2e_x_geometry "$E2E_WID")"
title_y=$((cy - 12))
xdotool mousemove "$middle" "$title_y" click --repeat 2 --delay 60 1
deadline=$((SECONDS + 10))
until [ "$(e2e_probe maximised)" = "1" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the title-bar double-click did not maximise the window"
    sleep 0.2
done
read -r mx my <<<"$(e2e_client_origin)"
under=$(( title_y - my ))
e2e_log "maximised; the release was at client y $under"
[ "$under" -ge 152 ] && [ "$under" -lt 248 ] || e2e_fail "the release did not land on the first card ($under): the check would mean nothing"
pane_stays_shut "the title-bar double-click"
e2e_pass
