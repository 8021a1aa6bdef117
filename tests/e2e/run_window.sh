#!/usr/bin/env bash
# The window appears with its class and title, at the default placement that Windows'
# work area gives at 96 DPI, and draws the light palette.
# Usage: run_window.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

fixture="$E2E_TMP/empty"
mkdir -p "$fixture"
e2e_start --root "$(e2e_winpath "$fixture")"
e2e_wait_window

[ "$(e2e_probe class)" = "Vessop.Main" ] || e2e_fail "class is '$(e2e_probe class)'"
[ "$(e2e_probe title)" = "Vessop" ] || e2e_fail "title is '$(e2e_probe title)'"
[ "$(e2e_probe dpi)" = "96" ] || e2e_fail "dpi is $(e2e_probe dpi)"

# Default placement: width min(1000, work width), height trunc(0.8 work height), centred with
# truncating halves.
IFS=, read -r wx wy ww wh <<<"$(e2e_probe work)"
want_w=$(( ww < 1000 ? ww : 1000 ))
want_h=$(( wh * 8 / 10 ))
want_x=$(( wx + (ww - want_w) / 2 ))
want_y=$(( wy + (wh - want_h) / 2 ))
got=$(e2e_probe window)
[ "$got" = "$want_x,$want_y,$want_w,$want_h" ] || e2e_fail "window is $got, expected $want_x,$want_y,$want_w,$want_h (work $wx,$wy,$ww,$wh)"
e2e_log "work area $wx,$wy,$ww,$wh -> window $got"
# X agrees with what Windows reports.
read -r gx gy gw gh <<<"$(e2e_x_geometry "$E2E_WID")"
[ "$gx,$gy,$gw,$gh" = "$want_x,$want_y,$want_w,$want_h" ] || e2e_fail "X geometry is $gx,$gy,$gw,$gh"

# Light palette: background, header, and the header divider on client row 51.
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_pixel $((cx + 300)) $((cy + 400)) 242,244,247 20 || e2e_fail "background is not the light background"
e2e_shot "$E2E_TMP/light.png"
[ "$(e2e_pixel "$E2E_TMP/light.png" $((cx + 300)) $((cy + 20)))" = "255,255,255" ] || e2e_fail "header is not white"
[ "$(e2e_pixel "$E2E_TMP/light.png" $((cx + 300)) $((cy + 51)))" = "227,230,234" ] || e2e_fail "divider is $(e2e_pixel "$E2E_TMP/light.png" $((cx + 300)) $((cy + 51)))"
[ "$(e2e_pixel "$E2E_TMP/light.png" $((cx + 300)) $((cy + 52)))" = "242,244,247" ] || e2e_fail "row 52 is not background"
# The empty scan result is drawn.
e2e_wait_text $((cx + 10)) $((cy + 60)) 600 80 'No certificates found' 20 || e2e_fail "no empty-state headline"
e2e_pass
