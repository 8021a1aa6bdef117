#!/usr/bin/env bash
# The list's scroll bar: a narrow thumb at the right edge at rest, wider and darker under the pointer;
# dragging it to the bottom scrolls 40 certificates to the very end, as End does; a press in the track
# below the thumb moves the list as Page Down does.
# Usage: run_scroll_bar.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_start_on_fixture 40
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 40' 30 || e2e_fail "no forty certificates"
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
header=52 background=242,244,247
rest_x=$((cx + cw - 4))  # inside the 4 px thumb at rest, 2 px from the edge
wide_x=$((cx + cw - 8))  # inside only the 8 px thumb in use
bar_x=$((cx + cw - 6))
top_y=$((cy + header + 10))

# The thumb is text_secondary over the background: at alpha 0.35 at rest, 0.6 in use.
rest=195,199,206 hot=161,166,176
e2e_wait_pixel "$rest_x" "$top_y" "$rest" 10 || e2e_fail "no thumb at rest at the top of the track"
e2e_shot "$E2E_TMP/rest.png"
e2e_expect_pixel "$E2E_TMP/rest.png" "$wide_x" "$top_y" "$background" 0 "the thumb at rest is wider than 4 px"
e2e_expect_pixel "$E2E_TMP/rest.png" "$rest_x" $((cy + ch - 10)) "$background" 0 "the thumb reaches the bottom at the start"

xdotool mousemove "$bar_x" $((cy + header + 20))
e2e_wait_pixel "$wide_x" "$top_y" "$hot" 10 || e2e_fail "the hovered thumb is not wider and darker"

# Drag it down past the window's bottom edge: the list reaches its end and stops there.
xdotool mousedown 1
for y in $(seq $((header + 60)) 60 $((ch + 40))); do
    xdotool mousemove "$bar_x" $((cy + y))
    sleep 0.05
done
xdotool mouseup 1
xdotool mousemove 0 0
e2e_wait_pixel "$rest_x" $((cy + ch - 10)) "$rest" 10 || e2e_fail "the thumb is not at the bottom after the drag"
list=$((cw - 16))x$((ch - header))+$cx+$((cy + header))  # the cards, without the bar
list_shot() { e2e_shot "$E2E_TMP/$1.png"; convert "$E2E_TMP/$1.png" -crop "$list" +repage "$E2E_TMP/$1-list.png"; }
differing() { e2e_pixels_differing "$E2E_TMP/$1-list.png" "$E2E_TMP/$2-list.png"; }
# Polls until the list looks as it did in an earlier shot; prints how many pixels still differ.
await_list() # NAME LIKE
{
    local deadline=$((SECONDS + 10)) differ
    while :; do
        list_shot "$1"
        differ=$(differing "$1" "$2")
        [ "$differ" = 0 ] || [ $SECONDS -ge $deadline ] && { printf '%s' "$differ"; return; }
        sleep 0.2
    done
}
list_shot dragged
xdotool key --window "$E2E_WID" End
differ=$(await_list end dragged)
[ "$differ" = 0 ] || e2e_fail "the drag did not scroll to the end: $differ pixels differ from End"

# A press in the track below the thumb, then Home and Page Down: the same list.
xdotool key --window "$E2E_WID" Home
e2e_wait_pixel "$rest_x" "$top_y" "$rest" 10 || e2e_fail "Home did not bring the thumb back"
xdotool mousemove "$bar_x" $((cy + ch - 20)) click 1 mousemove 0 0
e2e_wait_pixel "$rest_x" "$top_y" "$background" 10 || e2e_fail "a press in the track did not move the thumb"
list_shot paged
xdotool key --window "$E2E_WID" Home
e2e_wait_pixel "$rest_x" "$top_y" "$rest" 10 || e2e_fail "Home did not bring the thumb back"
xdotool key --window "$E2E_WID" Next
differ=$(await_list next paged)
[ "$differ" = 0 ] || e2e_fail "a press in the track did not page as Page Down: $differ pixels differ"
[ "$(differing paged end)" != 0 ] || e2e_fail "a press in the track went to the end"
e2e_pass
