#!/usr/bin/env bash
# Checks the user asks for: "Checking for updates…", then "You're up to date (VERSION)", the manifest
# failures ("manifest" for http:// and HTTPS:// urls) and curl's failures ("Download failed" for an
# HTTP error, a time-out and a refused non-https redirect). Then two offers accepted one after the
# other while the first download runs: the second starts no second download.
# Every check is asked for through the settings menu's "Check for updates".
# Usage: run_update_manual.sh VESSOP_EXE RELEASE_DIR
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/update_lib.sh"
e2e_init "$1"
upd_init "$2"
e2e_reg_add "$UPD_KEY" LastUpdateCheck REG_SZ "$(upd_now)"  # no automatic check in this test

# "Check for updates" from the settings menu.
check_now() { e2e_choose_from_settings_menu 5; }

# Waits for a notice, then for it to go, so that the next identical text is a new one.
expect_notice() # REGEX WHAT
{
    upd_wait_notice "$1" 20 || e2e_fail "$2: '$1' not shown"
    local deadline=$((SECONDS + 10))
    until upd_no_notice; do
        [ $SECONDS -lt $deadline ] || e2e_fail "$2: the notice did not go away"
        sleep 0.3
    done
}

upd_start
sha=$(upd_sha256 "$UPD_RELEASE")

# Up to date; the server answers only once the first notice has been read.
upd_serve_manifest "$UPD_CURRENT" "https://$UPD_HOST/Vessop/Vessop-Setup-$UPD_CURRENT.exe" "$sha"
: >"$UPD_SITE/update.json.hold"
check_now
upd_wait_notice 'Checking for updates' 20 || e2e_fail "'Checking for updates…' not shown"
rm -f "$UPD_SITE/update.json.hold"
expect_notice "up to date \\($(printf '%s' "$UPD_CURRENT" | sed 's/\./\\./g')\\)" "up to date"

for url in "http://$UPD_HOST/x.exe" "HTTPS://$UPD_HOST/x.exe"; do
    upd_serve_manifest "$UPD_VERSION" "$url" "$sha"
    check_now
    expect_notice '^manifest' "url $url"
done
upd_serve_manifest "$UPD_VERSION" "$(upd_serve_installer "$UPD_RELEASE")" "$sha" none
check_now
expect_notice '^manifest' "no size"
# Longer than 64 KiB: curl is told to stop at that length.
upd_serve_manifest "$UPD_VERSION" "$(upd_serve_installer "$UPD_RELEASE")" "$sha"
head -c 65536 /dev/zero | tr '\0' ' ' >>"$UPD_SITE/update.json"
check_now
expect_notice 'Download failed' "a manifest over 64 KiB"
grep -qP -- '--max-filesize\t65536\t' "$UPD_CURL_LOG" || e2e_fail "curl was not limited to 64 KiB: $(tail -n 1 "$UPD_CURL_LOG")"
upd_box_open && e2e_fail "a bad manifest opened the offer"

for code in 22 28; do
    echo "$code" >"$UPD_SITE/update.json.exit"
    check_now
    expect_notice 'Download failed' "curl exit $code"
done
rm -f "$UPD_SITE/update.json.exit"
echo "http://$UPD_HOST/Vessop/update.json" >"$UPD_SITE/update.json.redirect"
check_now
expect_notice 'Download failed' "redirect to http"
rm -f "$UPD_SITE/update.json.redirect"

# Two accepted offers: the first download lasts until the second Yes; that one starts nothing new.
upd_serve_manifest "$UPD_VERSION" "$(upd_serve_installer "$UPD_RELEASE")" "$sha" "$(upd_size "$UPD_RELEASE")"
: >"$UPD_SITE/Vessop-Setup-$UPD_VERSION.exe.hold"
check_now
upd_wait_box 20 >/dev/null || e2e_fail "no first offer"
upd_answer yes
upd_wait_notice 'Downloading update' 10 || e2e_fail "'Downloading update…' not shown"
check_now
upd_wait_box 20 >/dev/null || e2e_fail "no second offer"
upd_answer yes
upd_wait_notice 'Downloading update' 10 || e2e_fail "'Downloading update…' not shown for the second offer"
rm -f "$UPD_SITE/Vessop-Setup-$UPD_VERSION.exe.hold"
e2e_wait_exit 60 || e2e_fail "the program did not close for the installer"
installer_runs=$(grep -c "Vessop-Setup-$UPD_VERSION.exe\$" "$UPD_CURL_LOG")
[ "$installer_runs" -eq 1 ] || e2e_fail "the installer was downloaded $installer_runs times"
upd_wait_installed "installer"
e2e_pass
