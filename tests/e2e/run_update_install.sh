#!/usr/bin/env bash
# The whole update on the real Vessop.exe: the automatic check at start-up finds the release that
# scripts/release built, the offer asks the exact question, Yes downloads, verifies and starts the
# signed NSIS installer silently, the program closes itself, and the installed Vessop.exe is the new
# version. Meanwhile an attacker tries to swap the verified installer before it starts, and the
# system refuses every attempt because the program holds the file.
# Usage: run_update_install.sh VESSOP_EXE RELEASE_DIR
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/update_lib.sh"
e2e_init "$1"
upd_init "$2"

# The manifest scripts/release wrote, served unchanged, with the installer at its url.
cp "$UPD_DIST/update.json" "$UPD_SITE/update.json"
cp "$UPD_RELEASE" "$UPD_SITE/"
installer_win="$UPD_WORK_WIN\\Vessop-Setup-$UPD_VERSION.exe"
report=$E2E_TMP/attack.txt
# The attacker gives up by itself after two minutes; the deadline here only catches a probe that hangs.
timeout -k 5 150 wine "$E2E_BIN/e2e_update_probe.exe" attack "$installer_win" "$VESSOP_CURL_LOG" "$(e2e_winpath "$report")" \
    >"$E2E_TMP/attack.log" 2>&1 </dev/null &
attacker=$!

before=$(upd_now)
upd_start
text=$(upd_wait_box 30) || e2e_fail "no offer"
expected=$(printf 'A new version is available: %s\n(current %s)\n\nUpdate now?' "$UPD_VERSION" "$UPD_CURRENT")
[ "$(printf '%s' "$text" | tr -d '\r')" = "$expected" ] || e2e_fail "offer reads: $text"
# Recorded before the check ran.
last=$(e2e_reg_query "$UPD_KEY" LastUpdateCheck) || e2e_fail "LastUpdateCheck not written"
[ "$last" -ge "$before" ] && [ "$last" -le "$(upd_now)" ] || e2e_fail "LastUpdateCheck is $last"

upd_answer yes
wait "$attacker"
attack_status=$?
tr -d '\r' <"$report" >"$report.unix"
report=$report.unix
e2e_log "attacker: $(grep -v '^checking' "$report" | tr '\n' ';')"
[ "$attack_status" -eq 0 ] || e2e_fail "the attacker failed or an attack succeeded"
# Refused as sharing violations (32); replacing the file needs its deletion, which is denied (5).
for attempt in "overwrite refused 32" "rename refused 32" "delete refused 32" "replace refused (5|32)"; do
    grep -Eq "^verified $attempt\$" "$report" || e2e_fail "after verification: not '$attempt'"
done
grep -q "^checking" "$report" || e2e_fail "no attack while the download thread checked the file"
grep -q "ALREADY RUNNING" "$report" && e2e_fail "the installer started before the window thread was let go"
grep -q "control attacks FAILED" "$report" && e2e_fail "the attacks do not work on a free file"

e2e_wait_exit 60 || e2e_fail "the program did not close for the installer"
upd_wait_installed "installer"
# /UPDATE=1: the installer starts the new version.
E2E_WID=""
e2e_wait_window 60
pgrep -f 'Programs.Vessop.Vessop\.exe' >/dev/null || e2e_fail "the running Vessop is not the installed one"

# The verified bytes are what was installed and what is left in the work folder.
cmp -s "$UPD_WORK/Vessop-Setup-$UPD_VERSION.exe" "$UPD_RELEASE" || e2e_fail "the installer in the work folder changed"
[ -e "$UPD_WORK/update.json" ] && e2e_fail "the manifest was not deleted"
e2e_reg_query "$UPD_KEY" Placement >/dev/null && e2e_fail "the placement was saved on the update path"

# curl ran twice, each time with exactly its arguments.
tab=$'\t'
common="-q$tab-g$tab--ssl-revoke-best-effort$tab"
manifest_args="$common-fsSL$tab--proto$tab=https$tab--max-time${tab}600$tab--max-filesize${tab}65536$tab-o$tab$UPD_WORK_WIN\\update.json${tab}https://$UPD_HOST/Vessop/update.json?v=$UPD_CURRENT&lang=en"
installer_args="$common-fsSL$tab--proto$tab=https$tab--max-time${tab}600$tab--max-filesize$tab$(upd_size "$UPD_RELEASE")$tab-o$tab$installer_win${tab}https://$UPD_HOST/Vessop/Vessop-Setup-$UPD_VERSION.exe"
[ "$(sed -n 1p "$UPD_CURL_LOG")" = "$manifest_args" ] || e2e_fail "manifest request: $(sed -n 1p "$UPD_CURL_LOG")"
[ "$(sed -n 2p "$UPD_CURL_LOG")" = "$installer_args" ] || e2e_fail "installer request: $(sed -n 2p "$UPD_CURL_LOG")"
[ "$(upd_curl_runs)" -eq 2 ] || e2e_fail "curl ran $(upd_curl_runs) times"

# What the installer registered: the Start-menu shortcut and the uninstaller under HKCU, which takes
# the program, its shortcut and its settings (Vessop.exe --unregister) away again.
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vessop'
[ "$(e2e_reg_query "$uninstall_key" DisplayVersion)" = "$UPD_VERSION" ] || e2e_fail "no uninstall entry for $UPD_VERSION"
uninstaller=$(e2e_reg_query "$uninstall_key" UninstallString | tr -d '"') || e2e_fail "no UninstallString"
shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Vessop.lnk' | head -n 1)
[ -n "$shortcut" ] || e2e_fail "no Start-menu shortcut"
scanner=$(dirname "$UPD_INSTALLED")/vessop-scan.exe
[ -f "$scanner" ] || e2e_fail "vessop-scan.exe was not installed beside Vessop.exe"
e2e_helper e2e_window_probe close >/dev/null
e2e_wait_no_window 20 || e2e_fail "the updated Vessop did not close"
e2e_key_exists "$UPD_KEY" || e2e_fail "no settings to remove"
e2e_wine "$uninstaller" /S >>"$E2E_TMP/app.log" 2>&1
deadline=$((SECONDS + 60))
while [ -e "$UPD_INSTALLED" ] || [ -e "$scanner" ] || [ -e "$shortcut" ] || e2e_key_exists "$uninstall_key" || e2e_key_exists "$UPD_KEY"; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the uninstaller left a program, its shortcut, its entry or its settings"
    sleep 0.3
done
e2e_pass
