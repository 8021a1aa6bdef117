#!/usr/bin/env bash
# What scripts/release made for the updater's tests (tests/e2e/build_update_release.sh), checked as
# someone verifying a release would: the installer's signature and its RFC 3161 timestamp, SHA256SUMS,
# the SPDX 2.3 SBOM and the winget manifests with the installer's real hash; the programs are built to
# accept the signing key. Then the refusals, each before anything is built or signed: no timestamp
# authority, a certificate the updater would read another name from, a key the build does not accept,
# a key of another certificate.
# The release programs never read VESSOP_TEST_ROOTS (the test builds' extra trusted certificates): the
# name is not in them, and it is in the test build's Vessop.exe, so the check can fail.
# Usage: run_release_checks.sh RELEASE_DIR TEST_BUILD_VESSOP_EXE   (RELEASE_DIR: the fixture's OUT: dist/, build/, verify/)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
release=$1
dist=$release/dist
fail() { echo "FAIL: $*"; exit 1; }
tmp=$(mktemp -d /tmp/vessop-release-check.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
company=$(sed -n 's/^set(VESSOP_COMPANY "\(.*\)")$/\1/p' "$root/CMakeLists.txt")
installer=$(ls "$dist"/Vessop-Setup-*.exe 2>/dev/null | head -n 1)
[ -n "$installer" ] || fail "no installer in $dist"
version=$(basename "$installer" .exe); version=${version#Vessop-Setup-}

# The signature, and the timestamp that keeps it valid after the signing certificate expires.
osslsigncode verify -in "$installer" -CAfile "$release/verify/signer.pem" -TSA-CAfile "$release/verify/tsa-ca.pem" \
    >"$tmp/verify.txt" 2>&1
grep -q 'Timestamp Server Signature verification: ok' "$tmp/verify.txt" || { cat "$tmp/verify.txt"; fail "no verified timestamp"; }
grep -q 'Timestamp time:' "$tmp/verify.txt" || fail "no timestamp time"
grep -q "Subject: /CN=$company" "$tmp/verify.txt" || { cat "$tmp/verify.txt"; fail "not signed by $company"; }

# The checksums cover every file of the folder, and verify.
(cd "$dist" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not verify"
listed=$(cut -d' ' -f3- "$dist/SHA256SUMS" | LC_ALL=C sort)
present=$(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort)
[ "$listed" = "$present" ] || fail "SHA256SUMS lists: $listed; the folder holds: $present"

(cd "$release/build/unsigned" && sha256sum -c --quiet "$dist/UNSIGNED-SHA256SUMS") \
    || fail "UNSIGNED-SHA256SUMS does not name the unsigned files of the build"
sha=$(sha256sum "$installer" | cut -d' ' -f1)
python3 - "$dist" "$version" "$sha" "$company" <<'PY' || fail "the SBOM or the winget manifests are not as required"
import json, os, sys, yaml
dist, version, sha, company = sys.argv[1:]
doc = json.load(open(os.path.join(dist, f"Vessop-{version}.spdx.json"), encoding="utf-8"))
for field in ("spdxVersion", "dataLicense", "SPDXID", "name", "documentNamespace", "creationInfo", "packages"):
    assert field in doc, field
assert doc["spdxVersion"] == "SPDX-2.3" and doc["dataLicense"] == "CC0-1.0" and doc["SPDXID"] == "SPDXRef-DOCUMENT"
assert doc["creationInfo"]["created"].endswith("Z") and doc["creationInfo"]["creators"]
names = {p["name"]: p for p in doc["packages"]}
for p in doc["packages"]:
    for field in ("SPDXID", "name", "downloadLocation", "versionInfo", "licenseConcluded", "licenseDeclared"):
        assert p.get(field), (p["name"], field)
assert names["Vessop"]["versionInfo"] == version and names["Vessop"]["checksums"][0]["checksumValue"] == sha
assert names["nlohmann/json"]["licenseDeclared"] == "MIT" and names["nlohmann/json"]["versionInfo"][0].isdigit()
assert any(n.startswith("MinGW-w64") for n in names) and any(n.startswith("GCC") for n in names)
folder = os.path.join(dist, "winget", "manifests", "t", "TamselWorks", "Vessop", version)
kinds = {}
for name in os.listdir(folder):
    m = yaml.safe_load(open(os.path.join(folder, name), encoding="utf-8"))
    assert m["PackageIdentifier"] == "TamselWorks.Vessop" and m["PackageVersion"] == version, name
    assert m["ManifestVersion"] == "1.6.0", name
    kinds.setdefault(m["ManifestType"], []).append(m)
assert set(kinds) == {"version", "installer", "defaultLocale", "locale"}, kinds.keys()
assert kinds["version"][0]["DefaultLocale"] == "en-US"
inst = kinds["installer"][0]
assert inst["InstallerType"] == "nullsoft" and inst["Scope"] == "user" and inst["InstallerSwitches"]["Silent"]
assert inst["Installers"][0]["InstallerSha256"] == sha.upper() and inst["Installers"][0]["Architecture"] == "x64"
for m in kinds["defaultLocale"] + kinds["locale"]:
    for field in ("PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"):
        assert m.get(field), field
    assert m["Publisher"] == company
assert {m["PackageLocale"] for m in kinds["locale"]} == {"ko-KR"}
PY

# The build accepts installers signed with this key, and with no other.
pinned=$(sed -n 's/^VESSOP_SIGNER_KEY_SHA256:[A-Z]*=//p' "$release/build/CMakeCache.txt")
signer_key=$(openssl x509 -in "$release/verify/signer.pem" -noout -pubkey | openssl pkey -pubin -outform DER \
             | sha256sum | cut -d' ' -f1)
[ "$pinned" = "$signer_key" ] || fail "the release build pins \"$pinned\", not the signing key $signer_key"
grep -q "\"$signer_key\"" "$release/build/generated/signer_keys.h" || fail "the pinned key did not reach the program"

# The test builds' trust folder is no part of what users get.
holds_name() # FILE: whether it holds "VESSOP_TEST_ROOTS" in ASCII or UTF-16
{
    python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
name = "VESSOP_TEST_ROOTS"
sys.exit(0 if name.encode() in data or name.encode("utf-16-le") in data else 1)
PY
}
for program in Vessop.exe vessop-scan.exe; do
    holds_name "$release/build/unsigned/$program" && fail "the release $program reads VESSOP_TEST_ROOTS"
done
holds_name "$2" || fail "the test build's Vessop.exe does not hold VESSOP_TEST_ROOTS: the check above proves nothing"

# Refusals, each before a build folder is even made.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/key.pem" -out "$tmp/cert.pem" -days 2 -subj "/CN=$company" \
    >/dev/null 2>&1 || fail "openssl"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/other.pem" -out "$tmp/other-cert.pem" -days 2 \
    -subj "/CN=$company" >/dev/null 2>&1 || fail "openssl"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/near.pem" -out "$tmp/near-cert.pem" -days 2 \
    -subj "/CN=$company." -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1 || fail "openssl"
refused() # WHAT MESSAGE-REGEX ARGS...
{
    local what=$1 want=$2 status=0
    shift 2
    env -u VESSOP_TIMESTAMP_URL "$root/scripts/release" --build "$tmp/never" --out "$tmp/never-dist" "$@" \
        >"$tmp/out.txt" 2>&1 || status=$?
    [ "$status" -ne 0 ] || fail "$what: made a release"
    grep -qE "$want" "$tmp/out.txt" || { cat "$tmp/out.txt"; fail "$what: no clear message"; }
    [ ! -e "$tmp/never" ] && [ ! -e "$tmp/never-dist" ] || fail "$what: built before refusing"
    echo "refused ($what): $(head -n 1 "$tmp/out.txt")"
}
# The company as organisation under another common name: the updater reads the common name.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/org.pem" -out "$tmp/org-cert.pem" -days 2 \
    -subj "/O=$company/CN=Build Server" >/dev/null 2>&1 || fail "openssl"
key_of() { openssl x509 -in "$1" -noout -pubkey | openssl pkey -pubin -outform DER | sha256sum | cut -d' ' -f1; }
refused "no timestamp authority" 'no timestamp authority' --key "$tmp/key.pem" --cert "$tmp/cert.pem"
refused "another name" 'would read the signer' --key "$tmp/near.pem" --cert "$tmp/near-cert.pem" --no-timestamp \
    --signer-keys "$(key_of "$tmp/near-cert.pem")"
refused "the company only as organisation" 'read the signer.s name as "Build Server"' --key "$tmp/org.pem" \
    --cert "$tmp/org-cert.pem" --no-timestamp --signer-keys "$(key_of "$tmp/org-cert.pem")"
refused "no key pinned" 'not among the keys' --key "$tmp/key.pem" --cert "$tmp/cert.pem" --no-timestamp
refused "a key not pinned" 'not among the keys' --key "$tmp/key.pem" --cert "$tmp/cert.pem" --no-timestamp \
    --signer-keys "$(key_of "$tmp/other-cert.pem")"
refused "another certificate's key" 'does not belong' --key "$tmp/other.pem" --cert "$tmp/cert.pem" --no-timestamp \
    --signer-keys "$(key_of "$tmp/other-cert.pem");$(key_of "$tmp/cert.pem")"
echo PASS
