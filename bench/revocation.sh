#!/usr/bin/env bash
# What a check with the issuers costs: bench_revocation.exe writes 1,000 certificates naming 20
# distribution points and the 20 lists; slapd (started here on 127.0.0.1, stopped at the end) serves
# the lists; bench_revocation.exe then checks every certificate through the directory and prints the
# fetch time beside the program's own time per certificate.
# Usage: bench/revocation.sh [BUILD_DIR]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/mingw}
fail() { echo "FAIL: $*"; exit 1; }

. "$root/scripts/lib.sh"
"$root/scripts/wine-prefix" "$build" || fail "cannot prepare the build's Wine prefix"
. "$root/scripts/wine-env.sh" "$build"
tmp=$(mktemp -d /tmp/vessop-revocation-bench.XXXXXX)
. "$root/tests/slapd_lib.sh"
trap 'test_servers_stop; rm -rf "$tmp"' EXIT

slapd=$(command -v slapd || echo /usr/sbin/slapd)
slapd_start "$slapd" "$tmp/slapd" || fail "slapd did not start: $(tail -n 5 "$tmp/slapd/slapd.log")"
slapd_add_base "$tmp/slapd" || fail "base entries not added"
folder="Z:$(printf '%s' "$tmp/files" | tr '/' '\\')"
wine "$build/bin/bench_revocation.exe" write "$folder" "$SLAPD_PORT" || fail "the bench's files were not written"
for list in "$tmp/files/lists"/*.crl; do
    name=$(basename "$list" .crl)
    printf 'dn: cn=%s,ou=crldp,ou=AccreditedCA,o=TestCA,c=KR\nobjectClass: cRLDistributionPoint\ncn: %s\n'`
          `'certificateRevocationList;binary:< file://%s\n\n' "$name" "$name" "$list"
done >"$tmp/lists.ldif"
slapd_add "$tmp/slapd" "$tmp/lists.ldif" || fail "lists not added: $(tail -n 5 "$tmp/slapd/ldapadd.log")"
wine "$build/bin/bench_revocation.exe" check "$folder" | tr -d '\r'
