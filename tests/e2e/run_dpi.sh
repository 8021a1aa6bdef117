#!/usr/bin/env bash
# At 144 DPI (150 %) the minimum window size and the text scale by 1.5.
# Usage: run_dpi.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

mkdir -p "$E2E_TMP/empty"
root=$(e2e_winpath "$E2E_TMP/empty")
desktop='HKCU\Control Panel\Desktop'

# Width and height of the header's "Vessop" text: the ink against the white header, left part only.
header_text_box() # SCALE_PERCENT
{
    local scale=$1 cx cy
    read -r cx cy <<<"$(e2e_client_origin)"
    local header=$((52 * scale / 100)) left=$((200 * scale / 100))
    e2e_wait_pixel $((cx + 2)) $((cy + 2)) 255,255,255 20 || e2e_fail "no header at $scale %"
    # The header is drawn before the scan ends; wait for the summary so the frame is complete.
    e2e_wait_text "$cx" $((cy + header)) $((600 * scale / 100)) $((60 * scale / 100)) 'No certificates' 20 \
        || e2e_fail "no summary at $scale %"
    e2e_shot "$E2E_TMP/dpi$scale.png"
    e2e_ink_box "$E2E_TMP/dpi$scale.png" $((cx + 1)) $((cy + 1)) "$left" $((header - 3)) 255,255,255
}

run_at() # LOG_PIXELS
{
    e2e_reg_add "$desktop" LogPixels REG_DWORD "$1"
    e2e_restart_wine  # the DPI is read once per Wine session
    e2e_start --root "$root"
    e2e_wait_window
    [ "$(e2e_probe dpi)" = "$1" ] || e2e_fail "window DPI is $(e2e_probe dpi), wanted $1"
}

close_and_wait()
{
    e2e_helper e2e_window_probe close >/dev/null
    e2e_wait_exit 15 || e2e_fail "the program did not end"
}

run_at 96
[ "$(e2e_helper e2e_window_probe minmax)" = "mintrack=640,440" ] || e2e_fail "96 DPI: $(e2e_helper e2e_window_probe minmax)"
read -r w96 h96 _ <<<"$(header_text_box 100)"
close_and_wait

run_at 144
[ "$(e2e_helper e2e_window_probe minmax)" = "mintrack=960,660" ] || e2e_fail "144 DPI: $(e2e_helper e2e_window_probe minmax)"
read -r w144 h144 _ <<<"$(header_text_box 150)"
# Asking for a smaller window gives the minimum instead.
e2e_helper e2e_window_probe resize 300 200 >/dev/null
IFS=, read -r _ _ ww wh <<<"$(e2e_probe window)"
[ "$ww,$wh" = "960,660" ] || e2e_fail "resized to $ww,$wh; the minimum at 150 % is 960,660"
close_and_wait

e2e_log "header text ${w96}x${h96} at 96 DPI, ${w144}x${h144} at 144 DPI"
[ -n "$w96" ] && [ -n "$w144" ] && [ "$w96" -gt 10 ] || e2e_fail "header text not found"
# 1.5 times as large, give or take the rounding of glyph rendering.
python3 -c 'import sys; w1,h1,w2,h2=map(float,sys.argv[1:]); r=w2/w1; q=h2/h1
sys.exit(0 if 1.35<=r<=1.65 and 1.3<=q<=1.7 else 1)' "$w96" "$h96" "$w144" "$h144" \
    || e2e_fail "text did not scale by 1.5"
e2e_pass
