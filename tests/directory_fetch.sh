#!/usr/bin/env bash
# Revocation lists fetched from a real LDAP directory, as the revocation check fetches them: OpenLDAP's
# slapd on 127.0.0.1 (a configuration written here, run as a child process and stopped at the end)
# holds a list made with openssl under a DN shaped like the licensed CAs' distribution points.
#   - the list under the URL's DN comes whole, byte for byte;
#   - an entry without a list, a DN that is not there, a closed port, and a server that accepts the
#     connection and never answers each end as "unreachable", the last within the probe's time limit;
#   - a list over the size limit ends as "tooLarge".
# Usage: directory_fetch.sh DIRECTORY_PROBE_EXE SLAPD
set -uo pipefail

probe_exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
slapd=$2
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "FAIL: $*"; exit 1; }

. "$root/scripts/lib.sh"
build=$(vessop_build_dir_of "$probe_exe") || fail "no build folder above $probe_exe"
"$root/scripts/wine-prefix" "$build" || fail "cannot prepare the build's Wine prefix"
. "$root/scripts/wine-env.sh" "$build"

tmp=$(mktemp -d /tmp/vessop-directory.XXXXXX)
. "$root/tests/slapd_lib.sh"
cleanup()
{
    test_servers_stop
    rm -rf "$tmp"
}
trap cleanup EXIT

# --- A CA and its list, made with openssl -------------------------------------------------------------
mkdir -p "$tmp/ca"
: >"$tmp/ca/index.txt"
echo 01 >"$tmp/ca/crlnumber"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/ca/key.pem" -out "$tmp/ca/cert.pem" -days 2 \
    -subj "/C=KR/O=TestCA/OU=AccreditedCA/CN=TestCA Class 1" >"$tmp/openssl.log" 2>&1 || fail "no CA: $(cat "$tmp/openssl.log")"
cat >"$tmp/ca/ca.cnf" <<CNF
[ ca ]
default_ca = d
[ d ]
database = $tmp/ca/index.txt
crlnumber = $tmp/ca/crlnumber
default_md = sha256
default_crl_days = 7
CNF
openssl ca -config "$tmp/ca/ca.cnf" -gencrl -keyfile "$tmp/ca/key.pem" -cert "$tmp/ca/cert.pem" -out "$tmp/ca/crl.pem" \
    >>"$tmp/openssl.log" 2>&1 || fail "no list: $(tail -n 5 "$tmp/openssl.log")"
openssl crl -in "$tmp/ca/crl.pem" -outform DER -out "$tmp/crl.der" || fail "list not converted"
size=$(stat -c %s "$tmp/crl.der")
digest=$(sha256sum "$tmp/crl.der" | cut -d' ' -f1)

# --- slapd ---------------------------------------------------------------------------------------------
slapd_start "$slapd" "$tmp/slapd" || fail "slapd did not start: $(tail -n 5 "$tmp/slapd/slapd.log")"
port=$SLAPD_PORT
slapd_add_base "$tmp/slapd" || fail "base entries not added: $(tail -n 5 "$tmp/slapd/ldapadd.log")"
cat >"$tmp/entries.ldif" <<LDIF
dn: cn=crl1dp7,ou=crldp,ou=AccreditedCA,o=TestCA,c=KR
objectClass: cRLDistributionPoint
cn: crl1dp7
certificateRevocationList;binary:< file://$tmp/crl.der

dn: cn=empty,ou=crldp,ou=AccreditedCA,o=TestCA,c=KR
objectClass: cRLDistributionPoint
cn: empty
LDIF
slapd_add "$tmp/slapd" "$tmp/entries.ldif" \
    || fail "entries not added: $(tail -n 5 "$tmp/slapd/ldapadd.log") $(tail -n 5 "$tmp/slapd/slapd.log")"

# A server that accepts connections and never says a word.
silent_server_start "$tmp/silent.log"
silent_port=$SILENT_PORT
closed_port=$(free_port)

# --- The probe -----------------------------------------------------------------------------------------
probe() # EXPECTED URL [ARGS...]
{
    local expected=$1 out status=0
    shift
    out=$(timeout -k 5 60 wine "$probe_exe" "$@" 2>"$tmp/probe.err" </dev/null | tr -d '\r') || status=$?
    [ "$status" -eq 0 ] || fail "probe $* ended with $status: $(tail -n 3 "$tmp/probe.err")"
    [ "$out" = "$expected" ] || fail "probe $*: '$out', expected '$expected'"
    echo "ok: $* -> $out"
}
dp="ou=crldp,ou=AccreditedCA,o=TestCA,c=KR"
probe "list $size $digest" "ldap://127.0.0.1:$port/cn=crl1dp7,$dp"
probe "list $size $digest" "ldap://127.0.0.1:$port/cn%3Dcrl1dp7,ou%3Dcrldp,ou=AccreditedCA,o=TestCA,c=KR?certificateRevocationList;binary"
probe "unknown unreachable" "ldap://127.0.0.1:$port/cn=empty,$dp"
probe "unknown unreachable" "ldap://127.0.0.1:$port/cn=absent,$dp"
probe "unknown unreachable" "ldap://127.0.0.1:$closed_port/cn=crl1dp7,$dp"
probe "unknown unreachable" "ldap://127.0.0.1:$silent_port/cn=crl1dp7,$dp" 6
probe "unknown tooLarge" "ldap://127.0.0.1:$port/cn=crl1dp7,$dp" 20 $((size - 1))
echo "PASS"
