#!/usr/bin/env bash
# Keyboard only. At rest no focus ring is drawn and Down, with nothing focused, scrolls the list 60 px
# as it always did. Tab eight times reaches the second card (Add folder, Refresh, Menu, the first card
# and its three buttons, then the second card) and rings it in accent; Enter opens its pane; Down nine
# times reaches "Serial number" and Enter copies it (read with xclip); Escape closes the pane and the
# ring is back around the card. Shift+Tab back to the menu button and Enter opens the menu below it,
# not at the pointer.
# Usage: run_keyboard.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_start_on_fixture 10
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 10' 20 || e2e_fail "no ten certificates"
xdotool mousemove 0 0  # the pointer stays off the window: no hover anywhere
xdotool windowfocus --sync "$E2E_WID" 2>/dev/null || true
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
content=$(( cw - 48 < 960 ? cw - 48 : 960 ))
x0=$(( (cw - content + 1) / 2 ))
middle=$((cx + x0 + content / 2))
border=227,230,234 background=242,244,247 accent=13,148,136
ring_x=$((cx + x0 - 3))      # the ring: 2 px, 1 px clear of the card's left edge
card2_y=$((cy + 258 + 48))   # the middle of the second card (258-354)
keys() { xdotool key --window "$E2E_WID" --delay 60 "$@"; }

# At rest: no ring; Down with nothing focused scrolls 60 px (the first card's top from 152 to 92).
e2e_shot "$E2E_TMP/rest.png"
e2e_expect_pixel "$E2E_TMP/rest.png" "$ring_x" "$card2_y" "$background" 0 "a ring before any key"
keys Down
e2e_wait_pixel "$middle" $((cy + 92)) "$border" 10 || e2e_fail "Down without focus did not scroll 60 px"
keys Home
e2e_wait_pixel "$middle" $((cy + 152)) "$border" 10 || e2e_fail "Home did not return to the top"

# Tab to the second card (the search field is the first stop): a 2 px accent ring, 1 px clear of the card.
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab
e2e_wait_pixel "$ring_x" "$card2_y" "$accent" 10 || e2e_fail "no focus ring around the second card"
e2e_shot "$E2E_TMP/ring.png"
e2e_expect_pixel "$E2E_TMP/ring.png" $((ring_x + 1)) "$card2_y" "$accent" 0 "the ring's inner pixel"
e2e_expect_pixel "$E2E_TMP/ring.png" $((ring_x + 2)) "$card2_y" "$background" 0 "the gap inside the ring"
e2e_expect_pixel "$E2E_TMP/ring.png" $((ring_x - 1)) "$card2_y" "$background" 0 "outside the ring"
e2e_expect_pixel "$E2E_TMP/ring.png" "$middle" $((cy + 255)) "$accent" 0 "the ring above the card"
e2e_expect_pixel "$E2E_TMP/ring.png" "$ring_x" $((cy + 152 + 48)) "$background" 0 "no ring around the first card"

# Enter opens the second card's pane; its title names the holder whose serial is to be copied.
keys Return
e2e_wait_pixel $((cx + 5)) $((cy + 300)) 150,151,153 10 || e2e_fail "Enter did not open the pane"
pw=$(( cw - 40 < 780 ? cw - 40 : 780 ))
px=$(( (cw - pw + 1) / 2 ))
e2e_shot "$E2E_TMP/pane.png"
ph=$(( 32 * 16 + 124 < ch - 40 ? 32 * 16 + 124 : ch - 40 ))
py=$(( (ch - ph + 1) / 2 > 20 ? (ch - ph + 1) / 2 : 20 ))
holder=$(e2e_ocr "$E2E_TMP/pane.png" $((cx + px + 20)) $((cy + py + 10)) 300 44 | grep -oE 'Tester[0-9]+' | head -n 1)
[ -n "$holder" ] || e2e_fail "the pane's title names no holder"
serial=$(printf '01%08X' "${holder#Tester}")

# Down ten times to the eleventh row, "Serial number"; Enter copies it.
keys Down Down Down Down Down Down Down Down Down Down Return
notice=("$((cx + cw / 2 - 200))" "$((cy + ch - 64))" 400 38)
e2e_wait_text "${notice[@]}" 'Copied: Serial number' 10 || e2e_fail "no notice for the copied serial"
[ "$(xclip -o -selection clipboard 2>/dev/null)" = "$serial" ] \
    || e2e_fail "X clipboard: '$(xclip -o -selection clipboard 2>/dev/null)', expected $serial ($holder)"

# Escape closes the pane; the ring is back around the second card.
keys Escape
e2e_wait_pixel $((cx + 5)) $((cy + 300)) "$background" 10 || e2e_fail "Escape did not close the pane"
e2e_wait_pixel "$ring_x" "$card2_y" "$accent" 10 || e2e_fail "the ring is not back around the card"

# Shift+Tab five times: Recycle, Open folder and Copy of the first card, the first card, the menu
# button. Enter opens the menu at the button's bottom-left corner (the button ends 44 px down).
keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
menu_x=$((cx + cw - 10 - 36))
e2e_wait_pixel $((menu_x - 3)) $((cy + 26)) "$accent" 10 || e2e_fail "no ring around the menu button"
keys Return
deadline=$((SECONDS + 10))
until menus=$(e2e_popup_geometries); do
    [ $SECONDS -lt $deadline ] || e2e_fail "Enter on the menu button opened no menu"
    sleep 0.2
done
read -r mx my _ _ <<<"$(head -n 1 <<<"$menus")"
[ "$my" -eq $((cy + 44)) ] || e2e_fail "the menu opens at y $my, not below the button ($((cy + 44)))"
[ "$mx" -le "$menu_x" ] || e2e_fail "the menu opens at x $mx, right of the button's left edge $menu_x"
keys Escape
e2e_pass
