#!/usr/bin/env bash
# With Windows in dark app mode the window starts with the dark palette; switching Windows back to
# light while it runs repaints it light at the next WM_SETTINGCHANGE.
# Usage: run_theme.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
e2e_reg_add "$personalize" AppsUseLightTheme REG_DWORD 0
mkdir -p "$E2E_TMP/empty"
e2e_start --root "$(e2e_winpath "$E2E_TMP/empty")"
e2e_wait_window
read -r cx cy <<<"$(e2e_client_origin)"

e2e_wait_pixel $((cx + 300)) $((cy + 400)) 23,24,27 20 || e2e_fail "background is not the dark background"
e2e_shot "$E2E_TMP/dark.png"
for probe in "20 34,35,39 header" "51 51,53,59 divider"; do
    read -r row want what <<<"$probe"
    got=$(e2e_pixel "$E2E_TMP/dark.png" $((cx + 300)) $((cy + row)))
    [ "$got" = "$want" ] || e2e_fail "dark $what is $got, expected $want"
done

# Back to light while running: the next setting change repaints with the light palette.
e2e_reg_add "$personalize" AppsUseLightTheme REG_DWORD 1
e2e_helper e2e_window_probe settingchange >/dev/null || e2e_fail "could not send WM_SETTINGCHANGE"
e2e_wait_pixel $((cx + 300)) $((cy + 400)) 242,244,247 10 || e2e_fail "did not switch to light"
e2e_wait_pixel $((cx + 300)) $((cy + 20)) 255,255,255 15 || e2e_fail "header did not switch to light"
e2e_pass
