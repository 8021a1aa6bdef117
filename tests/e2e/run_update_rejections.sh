#!/usr/bin/env bash
# Every bad installer is refused on the real Vessop.exe, shows its exact notice and leaves no
# installer behind: unsigned; signed by another company; by "Tamsel Works Co., Ltd" without the full
# stop; by the right name in other letter case; one byte changed after signing (the manifest's hash and
# size follow it, so only the signature can tell); a wrong size; a wrong hash; curl failing with an
# HTTP error; a work folder turned into a link to elsewhere. A manifest hash in upper case that
# matches is accepted.
#
# Under Wine, WinVerifyTrust trusts any self-signed signer that Windows would not, but it does detect
# unsigned and tampered files: between the good identity and the near misses, only the program's exact
# comparison of the signer's name decides here.
# Usage: run_update_rejections.sh VESSOP_EXE RELEASE_DIR
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/update_lib.sh"
e2e_init "$1"
upd_init "$2"

good=$UPD_RELEASE
variants=$E2E_TMP/variants
mkdir -p "$variants"
osslsigncode remove-signature -in "$good" -out "$variants/unsigned.exe" >/dev/null 2>&1 || e2e_fail "cannot unsign"
company=$(sed -n 's/^#define VESSOP_COMPANY "\(.*\)"$/\1/p' "$E2E_BUILD/generated/vessop_version.h")
[ "$company" = "Tamsel Works Co., Ltd." ] || e2e_fail "unexpected company: $company"
upd_identity "Orlentu Software Inc." other
upd_identity "Tamsel Works Co., Ltd" no_stop
upd_identity "TAMSEL WORKS CO., LTD." upper
for stem in other no_stop upper; do upd_sign "$variants/unsigned.exe" "$variants/$stem.exe" "$stem"; done
# One byte in the middle of the signed file (inside the installer's data, which the signature covers).
cp "$good" "$variants/tampered.exe"
python3 - "$variants/tampered.exe" <<'PY' || e2e_fail "cannot change a byte"
import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(0, 2)
    middle = f.tell() // 2
    f.seek(middle)
    byte = f.read(1)[0]
    f.seek(middle)
    f.write(bytes([byte ^ 0x5A]))
PY
cmp -s "$good" "$variants/tampered.exe" && e2e_fail "the tampered file is unchanged"

signature_text="The installer's digital signature could not be verified"
# check NAME FILE SHA256 SIZE NOTICE_REGEX
check()
{
    local name=$1 file=$2 sha=$3 size=$4 expect=$5
    e2e_log "case: $name"
    rm -f "$UPD_WORK"/Vessop-Setup-*.exe "$UPD_SITE"/*.exit
    e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck  # the automatic check is due
    upd_serve_manifest "$UPD_VERSION" "$(upd_serve_installer "$file")" "$sha" "$size"
    upd_start
    upd_wait_box 30 >/dev/null || { cat "$UPD_CURL_LOG"; e2e_reg_query "$UPD_KEY" LastUpdateCheck; e2e_fail "$name: no offer"; }
    upd_answer yes
    upd_wait_notice "$expect" 30 || e2e_fail "$name: notice '$expect' not shown"
    [ "$(upd_installers_left)" -eq 0 ] || e2e_fail "$name: an installer was left behind"
    [ -e "$UPD_INSTALLED" ] && e2e_fail "$name: something was installed"
    upd_close
}

unsigned=$variants/unsigned.exe
check unsigned "$unsigned" "$(upd_sha256 "$unsigned")" "$(upd_size "$unsigned")" "$signature_text"
for stem in other no_stop upper; do
    f=$variants/$stem.exe
    check "signed by $stem" "$f" "$(upd_sha256 "$f")" "$(upd_size "$f")" "$signature_text"
done
f=$variants/tampered.exe
check "changed after signing" "$f" "$(upd_sha256 "$f")" "$(upd_size "$f")" "$signature_text"
check "wrong size" "$good" "$(upd_sha256 "$good")" "$(($(upd_size "$good") + 1))" "Downloaded size mismatch"
check "wrong hash" "$good" "$(upd_sha256 "$unsigned")" "$(upd_size "$good")" \
    'Downloaded file is corrupt \(hash mismatch\)'
check "hash with a trailing space" "$good" "$(upd_sha256 "$good") " "$(upd_size "$good")" 'Downloaded file is corrupt \(hash mismatch\)'
# The work folder becomes a link to another folder while the offer waits (a planted junction): the
# download refuses it with the signature notice, curl never writes through it, nothing is deleted.
e2e_log "case: work folder replaced by a link"
e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck
upd_serve_manifest "$UPD_VERSION" "$(upd_serve_installer "$good")" "$(upd_sha256 "$good")"
upd_start
upd_wait_box 30 >/dev/null || e2e_fail "linked work folder: no offer"
elsewhere=$E2E_TMP/elsewhere
mkdir -p "$elsewhere"
echo keep >"$elsewhere/someone-elses.txt"
runs=$(upd_curl_runs)
rm -rf "$UPD_WORK" && ln -s "$elsewhere" "$UPD_WORK" || e2e_fail "cannot plant the link"
upd_answer yes
upd_wait_notice "$signature_text" 30 || e2e_fail "linked work folder: the download was not refused"
[ "$(upd_curl_runs)" -eq "$runs" ] || e2e_fail "linked work folder: curl ran: $(tail -n 1 "$UPD_CURL_LOG")"
[ "$(ls "$elsewhere")" = "someone-elses.txt" ] || e2e_fail "linked work folder: written through: $(ls "$elsewhere")"
upd_close
rm -f "$UPD_WORK" && mkdir -p "$UPD_WORK"

# curl fails (HTTP 404 and the like): nothing was written, nothing is left.
echo 22 >"$UPD_SITE/Vessop-Setup-$UPD_VERSION.exe.exit"
e2e_log "case: HTTP error"
e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck
upd_serve_manifest "$UPD_VERSION" "https://$UPD_HOST/Vessop/Vessop-Setup-$UPD_VERSION.exe" "$(upd_sha256 "$good")"
upd_start
upd_wait_box 30 >/dev/null || e2e_fail "HTTP error: no offer"
upd_answer yes
upd_wait_notice 'Download failed' 30 || e2e_fail "HTTP error: notice not shown"
[ "$(upd_installers_left)" -eq 0 ] || e2e_fail "HTTP error: an installer was left behind"
upd_close
rm -f "$UPD_SITE"/*.exit

# The digest in upper case: accepted, installed, and the program closes for it.
e2e_log "case: upper-case digest"
e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck
upd_serve_manifest "$UPD_VERSION" "$(upd_serve_installer "$good")" "$(upd_sha256 "$good" | tr a-f A-F)"
upd_start
upd_wait_box 30 >/dev/null || e2e_fail "upper-case digest: no offer"
upd_answer yes
e2e_wait_exit 60 || e2e_fail "upper-case digest: the program did not close for the installer"
upd_wait_installed "upper-case digest"
e2e_pass
