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
    e2e_log "start"; upd_start; e2e_log "window"
    upd_wait_box 30 >/dev/null || { cat "$UPD_CURL_LOG"; e2e_reg_query "$UPD_KEY" LastUpdateCheck; e2e_fail "$name: no offer"; }
    e2e_log "box"; upd_answer yes
    upd_wait_notice "$expect" 30 || e2e_fail "$name: notice '$expect' not shown"
    e2e_log "notice"; [ "$(upd_installers_left)" -eq 0 ] || e2e_fail "$name: an installer was left behind"
    [ -e "$UPD_INSTALLED" ] && e2e_fail "$name: something was installed"
    upd_close; e2e_log "closed"
}

unsigned=$variants/unsigned.exe
check unsigned "$unsigned" "$(upd_sha256 "$unsigned")" "$(upd_size "$unsigned")" "$signature_text"
f=$variants/other.exe
check "signed by other" "$f" "$(upd_sha256 "$f")" "$(upd_size "$f")" "$signature_text"
e2e_pass
