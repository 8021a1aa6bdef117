#!/usr/bin/env bash
# How the updater reaches the network behind real networks, through the automatic check at start-up:
# curl gets -q first, -g and --ssl-revoke-best-effort; an older curl that refuses that option (exit 2)
# is asked once more without it and the check goes on to its offer; the user's proxy from the Internet
# settings reaches curl as --proxy, signed in to as the logged-on user (--proxy-anyauth --proxy-user :),
# both a fixed one and one from an automatic-configuration script (served here on 127.0.0.1); with none
# set, no --proxy.
# Usage: run_update_network.sh VESSOP_EXE RELEASE_DIR
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/update_lib.sh"
e2e_init "$1"
upd_init "$2"
upd_serve_manifest "$UPD_CURRENT" "https://$UPD_HOST/Vessop/x.exe" 00  # up to date: nothing is offered

connections='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections'
# DefaultConnectionSettings as the Internet Options dialog writes it: version, counter, flags (1 direct,
# 2 fixed proxy, 4 script, 8 detection), then the proxy, the bypass list and the script's URL, each as
# a length and its bytes.
internet_settings() # FLAGS PROXY BYPASS SCRIPT_URL
{
    local blob
    blob=$(python3 -c '
import struct, sys
flags, proxy, bypass, url = int(sys.argv[1]), *[a.encode() for a in sys.argv[2:5]]
data = struct.pack("<III", 0x46, 1, flags)
for field in (proxy, bypass, url):
    data += struct.pack("<I", len(field)) + field
data += b"\0" * 32
print(data.hex())' "$1" "$2" "$3" "$4")
    e2e_reg_add "$connections" DefaultConnectionSettings REG_BINARY "$blob"
}

# One automatic check: prints the curl runs it made, one line each.
check_once() # WHAT
{
    : >"$UPD_CURL_LOG"
    e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck
    upd_start
    upd_wait_curl_runs "${2:-1}" 30 || e2e_fail "$1: the check did not run curl"
    sleep 0.5  # that nothing more happens: no further curl run of the same check
    upd_close
    cat "$UPD_CURL_LOG"
}

arguments_of() { tr '\t' '\n' <<<"$1"; }
proxy_of() { arguments_of "$1" | grep -A1 -x -- '--proxy' | sed -n 2p; }

# 1. No proxy set: the hardened arguments, no --proxy.
run=$(check_once "direct")
first=$(arguments_of "$run" | head -n 1)
[ "$first" = "-q" ] || e2e_fail "-q is not the first argument: $run"
arguments_of "$run" | grep -qx -- '-g' || e2e_fail "no -g: $run"
arguments_of "$run" | grep -qx -- '--ssl-revoke-best-effort' || e2e_fail "no --ssl-revoke-best-effort: $run"
arguments_of "$run" | grep -qx -- '--proxy' && e2e_fail "a proxy without one set: $run"
arguments_of "$run" | grep -qx -- '--proxy-user' && e2e_fail "proxy credentials without a proxy: $run"

# 2. A fixed proxy, with a bypass list that does not name the maker's host.
internet_settings 3 "proxy.corp.example:8080" "<local>;*.intranet.example" ""
run=$(check_once "fixed proxy")
[ "$(proxy_of "$run")" = "proxy.corp.example:8080" ] || e2e_fail "the fixed proxy did not reach curl: $run"
# Signed in to as the logged-on user when it asks (NTLM, Negotiate).
arguments_of "$run" | grep -A4 -x -- '--proxy' | tail -n 3 | paste -sd' ' | grep -qx -- '--proxy-anyauth --proxy-user :' \
    || e2e_fail "the proxy is not signed in to as the user: $run"
#    ... and one that does: direct.
internet_settings 3 "proxy.corp.example:8080" "*.${UPD_HOST#*.}" ""
run=$(check_once "bypassed host")
arguments_of "$run" | grep -qx -- '--proxy' && e2e_fail "a bypassed host went through the proxy: $run"

# 3. An automatic-configuration script on 127.0.0.1.
pac_dir=$E2E_TMP/pac
mkdir -p "$pac_dir"
cat >"$pac_dir/proxy.pac" <<'PAC'
function FindProxyForURL(url, host) { return "PROXY script.proxy.example:3128; DIRECT"; }
PAC
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$pac_dir" >"$E2E_TMP/pac.log" 2>&1 &
pac_pid=$!
# The test's own outcome, not the kill's, is what the cleanup reports.
trap 'outcome=$?; kill "$pac_pid" 2>/dev/null; (exit "$outcome"); e2e_cleanup' EXIT
deadline=$((SECONDS + 10))
until python3 -c "import urllib.request,sys; urllib.request.urlopen('http://127.0.0.1:$port/proxy.pac', timeout=1)" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the script server did not start"
    sleep 0.2
done
internet_settings 5 "" "" "http://127.0.0.1:$port/proxy.pac"
run=$(check_once "configuration script")
[ "$(proxy_of "$run")" = "script.proxy.example:3128" ] || e2e_fail "the script's proxy did not reach curl: $run"
grep -q 'GET /proxy.pac' "$E2E_TMP/pac.log" || e2e_fail "the script was never fetched"
internet_settings 1 "" "" ""

# 4. An older curl: refused with exit 2, asked once more without the option, and the check goes on to
#    its offer.
upd_serve_manifest "$UPD_VERSION" "https://$UPD_HOST/Vessop/Vessop-Setup-$UPD_VERSION.exe" "$(upd_sha256 "$UPD_RELEASE")"
export VESSOP_CURL_OLD=1
: >"$UPD_CURL_LOG"
e2e_reg_delete_value "$UPD_KEY" LastUpdateCheck
upd_start
upd_wait_box 30 >/dev/null || e2e_fail "no offer after the older curl: $(cat "$UPD_CURL_LOG")"
[ "$(upd_curl_runs)" -eq 2 ] || e2e_fail "curl ran $(upd_curl_runs) times: $(cat "$UPD_CURL_LOG")"
sed -n 1p "$UPD_CURL_LOG" | tr '\t' '\n' | grep -qx -- '--ssl-revoke-best-effort' || e2e_fail "the first run lacked the option"
sed -n 2p "$UPD_CURL_LOG" | tr '\t' '\n' | grep -qx -- '--ssl-revoke-best-effort' && e2e_fail "the retry still had the option"
[ "$(sed -n 2p "$UPD_CURL_LOG" | cut -f1)" = "-q" ] || e2e_fail "the retry lost -q"
upd_answer no
upd_close
e2e_pass
