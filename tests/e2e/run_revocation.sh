#!/usr/bin/env bash
# Asking the issuers end to end, against servers on 127.0.0.1 that the test starts and stops: slapd
# holding the test CA's revocation lists, an HTTP server for http:// points, and a server that accepts
# connections and never answers. A root, a CA and six users made with openssl (trusted through
# VESSOP_TEST_ROOTS), each naming one distribution point:
#   Good     LDAP, the CA's list                     -> Good
#   Revoked  LDAP, the CA's list, which revokes it   -> Revoked, superseded, on 2026-11-20
#   Web      HTTP, the CA's list                     -> Good
#   Silent   the server that never answers           -> Unknown, unreachable (the fetch's own time-out)
#   Forged   LDAP, a list in the CA's name signed by another key -> Unknown, unverifiable
#   Large    HTTP, 21 MiB                            -> Unknown, tooLarge
# vessop-scan --check-revocation says so in its JSON and its table. In the window, "Check with issuers"
# asks first: No (the default button) contacts no server and remembers nothing; Yes stores
# RevocationConsent, the revoked card carries the red badge, the summary counts it and its pane's
# Revocation row says when and why.
# Usage: run_revocation.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"
. "$E2E_ROOT/tests/slapd_lib.sh"

slapd=$(command -v slapd || echo /usr/sbin/slapd)
[ -x "$slapd" ] || e2e_fail "no slapd (scripts/setup installs it)"
pki=$E2E_TMP/pki www=$E2E_TMP/www tree=$E2E_TMP/tree
mkdir -p "$pki" "$www/crl" "$tree" "$E2E_TMP/roots"
wtree=$(e2e_winpath "$tree")
ssl() { openssl "$@" >>"$pki/openssl.log" 2>&1 || e2e_fail "openssl $1: $(tail -n 5 "$pki/openssl.log")"; }

# --- Servers ------------------------------------------------------------------------------------------
slapd_start "$slapd" "$E2E_TMP/slapd" || e2e_fail "slapd did not start: $(tail -n 5 "$E2E_TMP/slapd/slapd.log")"
http_server_start "$www" "$E2E_TMP/http.log" || e2e_fail "the HTTP server did not start"
silent_server_start "$E2E_TMP/silent.log"
dp="ou=crldp,ou=AccreditedCA,o=TestCA,c=KR"
ldap_good="ldap://127.0.0.1:$SLAPD_PORT/cn=crl1dp1,$dp"
ldap_forged="ldap://127.0.0.1:$SLAPD_PORT/cn=crl1dp3,$dp"
http_good="http://127.0.0.1:$HTTP_PORT/crl/dp2.crl"
http_large="http://127.0.0.1:$HTTP_PORT/crl/large.crl"
silent="ldap://127.0.0.1:$SILENT_PORT/cn=crl1dp9,$dp"

# --- The root, the CA, the users ------------------------------------------------------------------------
ca_extensions=$'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\nsubjectKeyIdentifier=hash'
ssl req -x509 -newkey rsa:2048 -nodes -keyout "$pki/root.key" -out "$pki/root.pem" -days 3650 \
    -subj "/C=KR/O=RevocationTest/CN=Revocation Test Root" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign"
ssl req -newkey rsa:2048 -nodes -keyout "$pki/ca.key" -out "$pki/ca.csr" -subj "/C=KR/O=TestCA/OU=AccreditedCA/CN=TestCA Class 1"
printf '%s\n' "$ca_extensions" >"$pki/ca.ext"
ssl x509 -req -in "$pki/ca.csr" -CA "$pki/root.pem" -CAkey "$pki/root.key" -set_serial 0x100 -days 3650 \
    -extfile "$pki/ca.ext" -out "$pki/ca.pem"
ssl x509 -in "$pki/root.pem" -outform DER -out "$E2E_TMP/roots/root-revocation.der"
ssl x509 -in "$pki/ca.pem" -outform DER -out "$E2E_TMP/roots/ca-revocation.der"

user() # NAME SERIAL DAYS POINT
{
    ssl req -newkey rsa:2048 -nodes -keyout "$pki/$1.key" -out "$pki/$1.csr" -subj "/C=KR/O=TestCA/OU=personal4IB/CN=$1()0012345678901234"
    # The point in a section of its own: a DN's commas would otherwise split it into several names.
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,nonRepudiation\n'`
          `'certificatePolicies=1.2.410.200005.1.1.1\nauthorityKeyIdentifier=keyid\ncrlDistributionPoints=@points\n'`
          `'[points]\nURI.0=%s\n' "$4" >"$pki/$1.ext"
    ssl x509 -req -in "$pki/$1.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" -set_serial "$2" -days "$3" \
        -extfile "$pki/$1.ext" -out "$pki/$1.pem"
    mkdir -p "$tree/NPKI/TestCA/USER/cn=$1"
    ssl x509 -in "$pki/$1.pem" -outform DER -out "$tree/NPKI/TestCA/USER/cn=$1/signCert.der"
}
# The shortest-lived first: Revoked is the first card.
user Revoked 0x1002 100 "$ldap_good"
user Good 0x1001 200 "$ldap_good"
user Web 0x1003 300 "$http_good"
user Silent 0x1004 400 "$silent"
user Forged 0x1005 500 "$ldap_forged"
user Large 0x1006 600 "$http_large"

# --- The lists --------------------------------------------------------------------------------------------
gencrl() # KEY CERT OUT_DER
{
    mkdir -p "$pki/db"
    printf 'R\t361231000000Z\t261120000000Z,superseded\t1002\tunknown\t/CN=Revoked\n' >"$pki/db/index.txt"
    echo 01 >"$pki/db/crlnumber"
    printf '[ca]\ndefault_ca=d\n[d]\ndatabase=%s\ncrlnumber=%s\ndefault_md=sha256\ndefault_crl_days=7\n' \
        "$pki/db/index.txt" "$pki/db/crlnumber" >"$pki/db/ca.cnf"
    ssl ca -config "$pki/db/ca.cnf" -gencrl -keyfile "$1" -cert "$2" -out "$pki/crl.pem"
    ssl crl -in "$pki/crl.pem" -outform DER -out "$3"
}
gencrl "$pki/ca.key" "$pki/ca.pem" "$pki/good.crl"
# Another key under the CA's very name.
ssl req -x509 -newkey rsa:2048 -nodes -keyout "$pki/evil.key" -out "$pki/evil.pem" -days 30 \
    -subj "/C=KR/O=TestCA/OU=AccreditedCA/CN=TestCA Class 1"
gencrl "$pki/evil.key" "$pki/evil.pem" "$pki/forged.crl"
cp "$pki/good.crl" "$www/crl/dp2.crl"
head -c $((21 * 1024 * 1024)) /dev/urandom >"$www/crl/large.crl"
slapd_add_base "$E2E_TMP/slapd" || e2e_fail "base entries not added: $(tail -n 5 "$E2E_TMP/slapd/ldapadd.log")"
cat >"$E2E_TMP/lists.ldif" <<LDIF
dn: cn=crl1dp1,$dp
objectClass: cRLDistributionPoint
cn: crl1dp1
certificateRevocationList;binary:< file://$pki/good.crl

dn: cn=crl1dp3,$dp
objectClass: cRLDistributionPoint
cn: crl1dp3
certificateRevocationList;binary:< file://$pki/forged.crl
LDIF
slapd_add "$E2E_TMP/slapd" "$E2E_TMP/lists.ldif" || e2e_fail "lists not added: $(tail -n 5 "$E2E_TMP/slapd/ldapadd.log")"

# --- vessop-scan ------------------------------------------------------------------------------------------
started=$SECONDS
e2e_helper vessop-scan --root "$wtree" --check-revocation >"$E2E_TMP/scan.json" || e2e_fail "vessop-scan failed"
e2e_log "vessop-scan --check-revocation took $((SECONDS - started)) s (the silent server's fetch ends at 20 s)"
answers=$(python3 -c '
import json, sys
out = []
for e in json.load(open(sys.argv[1]))["entries"]:
    r = e["revocation"]
    out.append("%s=%s/%s/%s/%s" % (e["holder_name"], r["state"], r.get("reason", "-"), r.get("revoked_at", "-"), r.get("source", "-")))
print(" ".join(out))' "$E2E_TMP/scan.json") || e2e_fail "vessop-scan's JSON: $(head -c 400 "$E2E_TMP/scan.json")"
expected="Revoked=Revoked/superseded/1795132800/$ldap_good Good=Good/-/-/$ldap_good Web=Good/-/-/$http_good"
expected+=" Silent=Unknown/unreachable/-/$silent Forged=Unknown/unverifiable/-/$ldap_forged Large=Unknown/tooLarge/-/$http_large"
[ "$answers" = "$expected" ] || e2e_fail "answers: $answers"$'\n'"expected: $expected"
e2e_helper vessop-scan --root "$wtree" --check-revocation --text >"$E2E_TMP/scan.txt" || e2e_fail "vessop-scan --text failed"
grep -q "Revoked on 2026-11-20: replaced by a new certificate" "$E2E_TMP/scan.txt" || e2e_fail "the table: $(cat "$E2E_TMP/scan.txt")"
e2e_helper vessop-scan --root "$wtree" --csv >"$E2E_TMP/scan.csv" || e2e_fail "vessop-scan --csv failed"
head -n 1 "$E2E_TMP/scan.csv" | grep -q ',Revocation' || e2e_fail "the CSV has no Revocation column"

# --- The window -------------------------------------------------------------------------------------------
calls() { echo "$(slapd_connections "$E2E_TMP/slapd") $(wc -l <"$E2E_TMP/http.log") $(cat "$E2E_TMP/silent.log" 2>/dev/null | wc -l)"; }
consent_box() # KEY
{
    e2e_choose_from_settings_menu 8  # the last item
    local box
    box=$(e2e_find_window '^Check with issuers$' 15) || e2e_fail "no consent box"
    sleep 0.5  # a key that reaches the box before its buttons are ready is lost
    xdotool windowactivate --sync "$box" key --delay 100 "$1" 2>/dev/null || xdotool key "$1"
}
answered_yes() { [ "$(calls)" != "$before" ]; }

e2e_start --root "$wtree"
e2e_wait_window
e2e_card_column
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
summary=("$((cx + 10))" "$((cy + 52 + 56))" "$((cw - 20))" 40)

before=$(calls)
consent_box Return  # No is the default button
sleep 3
[ "$(calls)" = "$before" ] || e2e_fail "No contacted a server: $before -> $(calls)"
e2e_reg_query 'HKCU\Software\Vessop' RevocationConsent >/dev/null && e2e_fail "No was remembered"

consent_box y
# On a loaded machine the key can still be lost with the box: then it is asked once more.
for _ in $(seq 100); do answered_yes && break; sleep 0.1; done
if ! answered_yes; then
    e2e_log "no server was called after Yes: asked again"
    consent_box y
fi
e2e_wait_text "${summary[@]}" '1 revoked' 60 || e2e_fail "the summary does not count the revoked certificate"
[ "$(e2e_reg_query 'HKCU\Software\Vessop' RevocationConsent)" = 0x1 ] || e2e_fail "the consent was not stored"
[ "$(calls)" != "$before" ] || e2e_fail "Yes contacted no server"

# The first card (Revoked): the badge in its title row, in the danger colour.
e2e_shot "$E2E_TMP/cards.png"
line=("$((cx + x0 + 72))" "$((cy + 152 + 12))" "$((content - 72 - 110))" 26)
text=$(e2e_ocr "$E2E_TMP/cards.png" "${line[@]}" | tr '\n' ' ')
printf '%s' "$text" | grep -q 'Revoked' || e2e_fail "the revoked card has no badge: $text"
e2e_region_has_colour "$E2E_TMP/cards.png" "${line[@]}" 220,38,38 || e2e_fail "the badge is not in the danger colour"

# Its pane: the sixth row is "Revocation".
xdotool mousemove $((cx + x0 + content / 2)) $((cy + 152 + 40)) click 1
e2e_wait_pixel $((cx + 5)) $((cy + 120)) 150,151,153 10 || e2e_fail "no pane"
pw=$((cw - 40 < 780 ? cw - 40 : 780)) ph=$((32 * 16 + 64 + 60))
[ "$ph" -le $((ch - 40)) ] || ph=$((ch - 40))
px=$(((cw - pw + 1) / 2)) py=$(((ch - ph + 1) / 2))
[ "$py" -ge 20 ] || py=20
e2e_wait_text $((cx + px + 12)) $((cy + py + 64 + 32 * 5)) $((pw - 24)) 32 \
    'Revocation.*Revoked on 2026-11-20: replaced by a new' 10 || e2e_fail "the pane's Revocation row"
e2e_helper e2e_window_probe close >/dev/null
e2e_wait_exit 15 || e2e_fail "Vessop did not end"
e2e_pass
