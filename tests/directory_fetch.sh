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
slapd_pid="" silent_pid=""
cleanup()
{
    [ -n "$slapd_pid" ] && kill "$slapd_pid" 2>/dev/null && wait "$slapd_pid" 2>/dev/null
    [ -n "$silent_pid" ] && kill "$silent_pid" 2>/dev/null && wait "$silent_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# --- A CA and its list, made with openssl -------------------------------------------------------------
mkdir -p "$tmp/ca" "$tmp/db"
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
port=$(free_port)
cat >"$tmp/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
modulepath /usr/lib/ldap
moduleload back_mdb
pidfile $tmp/slapd.pid
database mdb
maxsize 104857600
suffix "c=KR"
rootdn "cn=admin,c=KR"
rootpw secret
directory $tmp/db
access to * by * read
CONF
"$slapd" -f "$tmp/slapd.conf" -h "ldap://127.0.0.1:$port/" -d 0 >"$tmp/slapd.log" 2>&1 &
slapd_pid=$!
for _ in $(seq 50); do
    ldapsearch -x -H "ldap://127.0.0.1:$port" -b "" -s base >/dev/null 2>&1 && break
    sleep 0.1
done
cat >"$tmp/entries.ldif" <<LDIF
dn: c=KR
objectClass: country
c: KR

dn: o=TestCA,c=KR
objectClass: organization
o: TestCA

dn: ou=AccreditedCA,o=TestCA,c=KR
objectClass: organizationalUnit
ou: AccreditedCA

dn: ou=crldp,ou=AccreditedCA,o=TestCA,c=KR
objectClass: organizationalUnit
ou: crldp

dn: cn=crl1dp7,ou=crldp,ou=AccreditedCA,o=TestCA,c=KR
objectClass: cRLDistributionPoint
cn: crl1dp7
certificateRevocationList;binary:< file://$tmp/crl.der

dn: cn=empty,ou=crldp,ou=AccreditedCA,o=TestCA,c=KR
objectClass: cRLDistributionPoint
cn: empty
LDIF
ldapadd -x -H "ldap://127.0.0.1:$port" -D "cn=admin,c=KR" -w secret -f "$tmp/entries.ldif" >"$tmp/ldapadd.log" 2>&1 \
    || fail "entries not added: $(tail -n 5 "$tmp/ldapadd.log") $(tail -n 5 "$tmp/slapd.log")"

# A server that accepts connections and never says a word.
silent_port=$(free_port)
python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8)
held = []
while True:
    c, _ = s.accept(); held.append(c)' "$silent_port" &
silent_pid=$!
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
