#!/usr/bin/env bash
# High contrast: with the prefix's high-contrast flag on and "High Contrast Black" colours set, the
# window is drawn in the system colours: window for the background and cards, button face for the
# header, window text for text and outlines, highlight for "Add folder" and the focus ring. The flag
# is read again on WM_SYSCOLORCHANGE and WM_SETTINGCHANGE: off brings the light palette back at once,
# on again the system colours.
# Wine 8 answers SPI_GETHIGHCONTRAST with "off" whatever the prefix says, so this test runs a build of
# Vessop whose high_contrast_on() reads the flag from the registry (tests/e2e/high_contrast_flag.cpp);
# the colours come from GetSysColor as in the program.
# Usage: run_high_contrast.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"
E2E_EXE="$E2E_BIN/e2e_vessop_high_contrast.exe"
[ -f "$E2E_EXE" ] || e2e_fail "no $E2E_EXE"

accessibility='HKCU\Control Panel\Accessibility\HighContrast'
colours='HKCU\Control Panel\Colors'
e2e_reg_add "$accessibility" Flags REG_SZ 127   # HCF_HIGHCONTRASTON and the usual companions
for pair in "Window:0 0 0" "WindowText:255 255 255" "Hilight:26 235 255" "HilightText:0 0 0" \
            "ButtonFace:0 0 0" "ButtonText:255 255 255" "GrayText:63 242 63" "HotTrackingColor:255 255 0"; do
    e2e_reg_add "$colours" "${pair%%:*}" REG_SZ "${pair#*:}"
done
e2e_restart_wine  # the system colours are read when the session starts

e2e_start_on_fixture 3
read -r cx cy <<<"$(e2e_client_origin)"
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
content=$(( cw - 48 < 960 ? cw - 48 : 960 ))
x0=$(( (cw - content + 1) / 2 ))
middle=$((cx + x0 + content / 2))
xdotool mousemove 0 0
e2e_wait_pixel "$middle" $((cy + 152)) 255,255,255 20 || e2e_fail "no card outlined in window text"

e2e_shot "$E2E_TMP/hc.png"
shot=$E2E_TMP/hc.png
e2e_expect_pixel "$shot" $((cx + 5)) $((cy + ch - 5)) 0,0,0 0 "background: window"
e2e_expect_pixel "$shot" $((cx + 300)) $((cy + 20)) 0,0,0 0 "header: button face"
e2e_expect_pixel "$shot" $((cx + 300)) $((cy + 51)) 255,255,255 0 "header divider: window text"
e2e_expect_pixel "$shot" "$middle" $((cy + 153)) 0,0,0 0 "card: window"
add_folder_x=$((cx + cw - 10 - 36 - 6 - 36 - 6 - 8))
e2e_expect_pixel "$shot" "$add_folder_x" $((cy + 26)) 26,235,255 0 "Add folder: highlight"
e2e_region_has_colour "$shot" $((cx + x0)) $((cy + 74)) 300 40 255,255,255 || e2e_fail "the headline is not in window text"
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 3' 10 || e2e_fail "the headline cannot be read"

# The focus ring in highlight around the first card (after the search field and the toolbar).
ring_x=$((cx + x0 - 3))
xdotool key --window "$E2E_WID" --delay 60 Tab Tab Tab Tab Tab
e2e_wait_pixel "$ring_x" $((cy + 152 + 48)) 26,235,255 10 || e2e_fail "no focus ring in highlight"

# Turned off, the palette is re-read on WM_SYSCOLORCHANGE (sent to every window by SetSysColors, here
# with the highlight it has; Wine 8 would not show a new colour in another process anyway): the light
# palette, the ring in its accent.
e2e_reg_add "$accessibility" Flags REG_SZ 126
e2e_helper e2e_window_probe syscolour 13 26 235 255 >/dev/null || e2e_fail "SetSysColors failed"
e2e_wait_pixel $((cx + 5)) $((cy + ch - 5)) 242,244,247 10 || e2e_fail "WM_SYSCOLORCHANGE did not bring the light palette back"
e2e_wait_pixel "$ring_x" $((cy + 152 + 48)) 13,148,136 10 || e2e_fail "the ring is not in the light accent"

# Turned on again, on WM_SETTINGCHANGE.
e2e_reg_add "$accessibility" Flags REG_SZ 127
e2e_helper e2e_window_probe settingchange >/dev/null || e2e_fail "could not send WM_SETTINGCHANGE"
e2e_wait_pixel $((cx + 5)) $((cy + ch - 5)) 0,0,0 10 || e2e_fail "WM_SETTINGCHANGE did not bring high contrast back"
e2e_wait_pixel "$ring_x" $((cy + 152 + 48)) 26,235,255 10 || e2e_fail "the ring is not in highlight again"
e2e_pass
