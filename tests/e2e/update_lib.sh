# Helpers of the updater's end-to-end tests, sourced after lib.sh and e2e_init.
#
# No test reaches a network: curl's stand-in (e2e_curl_double) is put where the program looks for
# curl, C:\windows\System32\curl.exe (Wine forces SystemRoot to C:\windows), and serves files of
# $UPD_SERVED/HOST/... by URL. Every run of it appends its arguments to $UPD_CURL_LOG.

# upd_init RELEASE_DIR: the release built by build_update_release.sh, the curl stand-in, an empty
# search root and the program's work folder.
upd_init()
{
    UPD_DIST=$1/dist
    [ -f "$UPD_DIST/update.json" ] || e2e_fail "no release in $UPD_DIST"
    UPD_VERSION=$(sed -n 's/.*"version": "\([0-9.]*\)".*/\1/p' "$UPD_DIST/update.json")
    UPD_RELEASE=$UPD_DIST/Vessop-Setup-$UPD_VERSION.exe
    UPD_CURRENT=$(sed -n 's/^VESSOP_VERSION:[A-Z]*=//p' "$E2E_BUILD/CMakeCache.txt")
    UPD_HOST=$(sed -n 's/^VESSOP_MAKER_HOST:[A-Z]*=//p' "$E2E_BUILD/CMakeCache.txt")
    cp "$E2E_BIN/e2e_curl_double.exe" "$WINEPREFIX/drive_c/windows/system32/curl.exe" || e2e_fail "no curl stand-in"
    UPD_SERVED=$E2E_TMP/served
    UPD_SITE=$UPD_SERVED/$UPD_HOST/Vessop
    mkdir -p "$UPD_SITE"
    UPD_CURL_LOG=$E2E_TMP/curl.log
    : >"$UPD_CURL_LOG"
    export VESSOP_CURL_ROOT VESSOP_CURL_LOG
    VESSOP_CURL_ROOT=$(e2e_winpath "$UPD_SERVED")
    VESSOP_CURL_LOG=$(e2e_winpath "$UPD_CURL_LOG")
    UPD_EMPTY=$E2E_TMP/empty
    mkdir -p "$UPD_EMPTY"
    # The program's work folder: Vessop under the user's temporary folder, as Windows names it.
    local temp
    temp=$(e2e_wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r\n')
    [ -n "$temp" ] || e2e_fail "no temporary folder"
    UPD_WORK_WIN="${temp%\\}\\Vessop"
    UPD_WORK=$(timeout -k 5 "$E2E_STEP_SECONDS" winepath -u "$UPD_WORK_WIN" 2>/dev/null </dev/null)
    [ -n "$UPD_WORK" ] || e2e_fail "no Unix path for $UPD_WORK_WIN"
    UPD_INSTALLED=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Vessop/Vessop.exe
    UPD_KEY='HKCU\Software\Vessop'
    UPD_SIGNERS=$E2E_TMP/signers
    mkdir -p "$UPD_SIGNERS"
}

upd_sha256() { sha256sum "$1" | cut -d' ' -f1; }
upd_size() { stat -c %s "$1"; }

# upd_serve_manifest VERSION URL SHA256 [SIZE]: update.json as the server would give it. SIZE is the
# release installer's unless given; "none" leaves it out.
upd_serve_manifest()
{
    local size=", \"size\": ${4:-$(upd_size "$UPD_RELEASE")}"
    [ "${4:-}" = none ] && size=""
    printf '{"version": "%s", "url": "%s", "sha256": "%s"%s}\n' "$1" "$2" "$3" "$size" >"$UPD_SITE/update.json"
}

# upd_serve_installer FILE: served as the offered version's installer; prints its URL.
upd_serve_installer()
{
    cp "$1" "$UPD_SITE/Vessop-Setup-$UPD_VERSION.exe"
    printf 'https://%s/Vessop/Vessop-Setup-%s.exe' "$UPD_HOST" "$UPD_VERSION"
}

# upd_identity NAME FILE_STEM: a self-signed code-signing identity whose common name is NAME.
upd_identity()
{
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$UPD_SIGNERS/$2.key" -out "$UPD_SIGNERS/$2.pem" -days 2 \
        -subj "/CN=$1" -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1 || e2e_fail "openssl: $1"
}

# upd_sign IN OUT STEM: IN signed by the identity STEM.
upd_sign()
{
    osslsigncode sign -certs "$UPD_SIGNERS/$3.pem" -key "$UPD_SIGNERS/$3.key" -h sha256 -n "Vessop setup" \
        -in "$1" -out "$2" >/dev/null 2>&1 || e2e_fail "osslsigncode could not sign with $3"
}

# Starts the program (E2E_EXE) on an empty search root and waits for its window.
upd_start()
{
    e2e_start --root "$(e2e_winpath "$UPD_EMPTY")"
    e2e_wait_window
}

# Closes the program as the user would and waits for it to end.
upd_close()
{
    e2e_helper e2e_window_probe close >/dev/null
    e2e_wait_exit 20 || e2e_fail "the program did not close"
}

# Waits for the offer and prints its text (status 1 on timeout).
upd_wait_box() # SECONDS
{
    local deadline=$((SECONDS + $1)) text
    while :; do
        if text=$(e2e_helper e2e_window_probe msgbox); then
            printf '%s' "$(printf '%s\n' "$text" | sed '$d')"
            return 0
        fi
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

upd_box_open() { e2e_helper e2e_window_probe msgbox >/dev/null; }

# Answers the visible message box by clicking Yes or No. (Keys typed with xdotool were seen to
# answer the next program's box as well under Wine, so the button is clicked instead.)
upd_answer() # yes|no
{
    e2e_helper e2e_window_probe answer "$1" >/dev/null || e2e_fail "could not answer the message box"
    local deadline=$((SECONDS + 10))
    while upd_box_open; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the message box did not take the answer $1"
        sleep 0.2
    done
}

# The notice pill sits centred near the bottom of the client area.
upd_notice_region()
{
    local cx cy cw ch
    IFS=, read -r cx cy cw ch <<<"$(e2e_probe client)"
    printf '%s %s %s %s' "$cx" "$((cy + ch - 72))" "$cw" 54
}

upd_wait_notice() # REGEX SECONDS
{
    local region
    read -r -a region <<<"$(upd_notice_region)"
    e2e_wait_text "${region[@]}" "$1" "$2"
}

# True while the notice area shows no words.
upd_no_notice()
{
    local region text
    read -r -a region <<<"$(upd_notice_region)"
    e2e_shot "$E2E_TMP/quiet.png"
    text=$(e2e_ocr "$E2E_TMP/quiet.png" "${region[@]}")
    ! printf '%s' "$text" | grep -Eq '[A-Za-z]{3}'
}

upd_curl_runs() { wc -l <"$UPD_CURL_LOG"; }

# Waits until curl has run N times in all.
upd_wait_curl_runs() # N SECONDS
{
    local deadline=$((SECONDS + $2))
    while [ "$(upd_curl_runs)" -lt "$1" ]; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

upd_installers_left() { find "$UPD_WORK" -maxdepth 1 -name 'Vessop-Setup-*.exe' 2>/dev/null | wc -l; }

upd_now() { date +%s; }

# Waits until the installed Vessop.exe reads the new version (the installer runs after the program
# closed, so this may take a moment).
upd_wait_installed() # WHAT
{
    local deadline=$((SECONDS + 60))
    until [ "$(e2e_helper e2e_update_probe version "$(e2e_winpath "$UPD_INSTALLED")")" = "$UPD_VERSION" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "$1: the installed Vessop.exe is not version $UPD_VERSION"
        sleep 0.3
    done
}
