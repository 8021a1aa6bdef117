#!/usr/bin/env bash
# The certificate cards as the real window draws them, at 100 % and at 150 %: where each card and its
# parts sit, their colours (pill, icon tile, outline, dimmed expired title), the location line of a
# certificate on C: and twice on a USB drive E:, and the hover on a card's "Recycle" button.
# Usage: run_cards.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_removable_drive e "$E2E_TMP/usb"
e2e_helper e2e_make_fixture cards 'C:\' 'E:\' >/dev/null || e2e_fail "fixture not written"

# Design sizes times the scale, rounded half away from zero.
px() { python3 -c 'import math, sys; v = float(sys.argv[1]) * float(sys.argv[2]); print(int(math.floor(v + 0.5)))' "$1" "$2"; }

check_cards() # SCALE
{
    local s=$1 cx cy cw
    read -r cx cy <<<"$(e2e_client_origin)"
    IFS=, read -r _ _ cw _ <<<"$(e2e_probe client)"
    local header list_top step content x0
    header=$(px 52 "$s")
    list_top=$(python3 -c "print(int(100 * $s + $header))")
    step=$(( $(px 96 "$s") + $(px 10 "$s") ))
    content=$(python3 -c "print(int(min(960 * $s, $cw - 48 * $s)))")
    x0=$(python3 -c "import math; print(int(math.floor(($cw - $content) * 0.5 + 0.5)))")
    local left=$((cx + x0)) right=$((cx + x0 + content))

    xdotool mousemove 0 0  # no hover while the resting picture is checked
    e2e_wait_text $((cx + 10)) $((cy + header + $(px 18 "$s"))) 600 $(px 46 "$s") 'Certificates: 3' 20 || e2e_fail "$s: no three certificates"
    e2e_shot "$E2E_TMP/cards.png"
    local shot=$E2E_TMP/cards.png
    local top0=$((cy + list_top)) top1=$((cy + list_top + step)) top2=$((cy + list_top + 2 * step))
    local middle=$((left + content / 2))

    # Each card's top row is its one-pixel outline; the row above it is the page background.
    for top in "$top0" "$top1" "$top2"; do
        e2e_expect_pixel "$shot" "$middle" "$top" 227,230,234 1 "$s: outline of the card at $top"
        e2e_expect_pixel "$shot" "$middle" $((top - 1)) 242,244,247 1 "$s: gap above the card at $top"
    done
    e2e_expect_pixel "$shot" "$middle" $((top0 + $(px 96 "$s") - 1)) 227,230,234 1 "$s: bottom outline of card 0"

    # Icon tiles in the card's tint at 0.14 (orange: ends in 5 days; teal: valid) and 0.08 (red: expired).
    local tile_x=$((left + $(px 36 "$s"))) tile_dy=$(px 20 "$s")
    e2e_expect_pixel "$shot" "$tile_x" $((top0 + tile_dy)) 252,232,221 2 "$s: icon tile of the card ending soon"
    e2e_expect_pixel "$shot" "$tile_x" $((top1 + tile_dy)) 221,240,238 2 "$s: icon tile of the valid card"
    e2e_expect_pixel "$shot" "$tile_x" $((top2 + tile_dy)) 252,238,238 2 "$s: icon tile of the expired card"

    # Status pills: orange "D-5", grey "D-n", red "Expired", each 14 s from the card's right edge.
    local pill_x=$((right - $(px 17 "$s"))) pill_dy=$(px 26 "$s")
    e2e_expect_pixel "$shot" "$pill_x" $((top0 + pill_dy)) 252,228,216 2 "$s: pill of the card ending soon"
    e2e_expect_pixel "$shot" "$pill_x" $((top1 + pill_dy)) 237,238,240 2 "$s: pill of the valid card"
    e2e_expect_pixel "$shot" "$pill_x" $((top2 + pill_dy)) 249,220,220 2 "$s: pill of the expired card"
    e2e_region_has_colour "$shot" $((right - $(px 80 "$s"))) $((top0 + $(px 14 "$s"))) $(px 66 "$s") $(px 24 "$s") 234,88,12 \
        || e2e_fail "$s: the D-5 pill has no orange text"

    # The expired card's title is drawn at half alpha: its darkest ink is much lighter.
    local title_x=$((left + $(px 72 "$s"))) title_dy=$(px 12 "$s") title_h=$(px 26 "$s")
    local ink_valid ink_expired
    ink_valid=$(e2e_darkest "$shot" "$title_x" $((top1 + title_dy)) $(px 60 "$s") "$title_h")
    ink_expired=$(e2e_darkest "$shot" "$title_x" $((top2 + title_dy)) $(px 60 "$s") "$title_h")
    e2e_log "$s: darkest title ink $ink_valid (valid), $ink_expired (expired)"
    [ "$ink_valid" -lt 80 ] && [ "$ink_expired" -gt 100 ] && [ "$ink_expired" -lt 175 ] \
        || e2e_fail "$s: title ink $ink_valid / $ink_expired"

    # The buttons fill rows 54 s to 84 s of the card.
    local button_x=$((right - $(px 34 "$s")))
    e2e_expect_pixel "$shot" "$button_x" $((top0 + $(px 54 "$s"))) 240,241,242 1 "$s: first row of a button"
    e2e_expect_pixel "$shot" "$button_x" $((top0 + $(px 84 "$s") - 1)) 240,241,242 1 "$s: last row of a button"
    e2e_expect_pixel "$shot" "$button_x" $((top0 + $(px 54 "$s") - 1)) 255,255,255 1 "$s: above a button"
    e2e_expect_pixel "$shot" "$button_x" $((top0 + $(px 84 "$s"))) 255,255,255 1 "$s: below a button"

    # The certificate on C: and twice on E: lists its places once each, with the USB glyph.
    local line_x=$((left + $(px 90 "$s"))) line_y=$((top1 + $(px 64 "$s")))
    e2e_wait_text "$line_x" "$line_y" $(px 420 "$s") $(px 20 "$s") 'In 3 places.*Hard disk \(C:\).*USB drive \(E:\)' 5 \
        || e2e_fail "$s: location line"
    local glyph_ink
    glyph_ink=$(e2e_darkest "$shot" $((left + $(px 70 "$s"))) "$line_y" $(px 16 "$s") $(px 20 "$s"))
    [ "$glyph_ink" -lt 200 ] || e2e_fail "$s: no USB glyph in the location line ($glyph_ink)"

    # Hover: over "Recycle" the outline turns accent, the button darkens and its label turns red.
    local recycle_x=$((right - $(px 18 "$s"))) recycle_y=$((top0 + $(px 69 "$s")))
    xdotool mousemove "$recycle_x" "$recycle_y"
    e2e_wait_pixel "$middle" "$top0" 110,191,184 10 || e2e_fail "$s: no accent outline over Recycle"
    e2e_shot "$E2E_TMP/hover.png"
    e2e_expect_pixel "$E2E_TMP/hover.png" "$recycle_x" "$recycle_y" 225,227,230 1 "$s: hovered Recycle fill"
    # Where the button begins: along a row above its label.
    local recycle_left
    recycle_left=$(( $(e2e_edge_leftwards "$E2E_TMP/hover.png" "$recycle_x" $((top0 + $(px 60 "$s"))) 225,227,230) + 1 ))
    e2e_region_has_colour "$E2E_TMP/hover.png" "$recycle_left" $((top0 + $(px 54 "$s"))) $((recycle_x - recycle_left)) \
        $(px 30 "$s") 220,38,38 || e2e_fail "$s: the hovered Recycle label is not red"
    # The gap between "Open folder" and "Recycle" is the card: outline stays accent, the button is plain again.
    xdotool mousemove $((recycle_left - $(px 3 "$s"))) "$recycle_y"
    e2e_wait_pixel "$recycle_x" "$recycle_y" 240,240,242 10 || e2e_fail "$s: Recycle stayed hovered over the gap"
    e2e_shot "$E2E_TMP/gap.png"
    e2e_expect_pixel "$E2E_TMP/gap.png" "$middle" "$top0" 110,191,184 1 "$s: outline over the gap between buttons"
    xdotool mousemove 0 0
    e2e_wait_pixel "$middle" "$top0" 227,230,234 10 || e2e_fail "$s: the outline stayed accent after the pointer left"
}

e2e_start --root 'C:\' --root 'E:\'
e2e_wait_window
check_cards 1
e2e_helper e2e_window_probe close >/dev/null
e2e_wait_exit 15 || e2e_fail "the program did not end"

e2e_reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 144
e2e_restart_wine
e2e_start --root 'C:\' --root 'E:\'
e2e_wait_window
[ "$(e2e_probe dpi)" = "144" ] || e2e_fail "window DPI is $(e2e_probe dpi)"
check_cards 1.5
e2e_pass
