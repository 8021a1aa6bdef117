#!/usr/bin/env bash
# Builds the release the updater tests install, with scripts/release itself: version NEXT of this
# build's host, into OUT/build (kept between runs, so a later run rebuilds only what changed) and
# OUT/dist, signed by a throwaway "Tamsel Works Co., Ltd." identity made here and timestamped by a
# timestamp authority on 127.0.0.1 (tests/release/tsa.sh). The identity's certificate and the TSA's CA
# stay in OUT/verify for the release tests; the private keys are thrown away.
# Usage: build_update_release.sh OUT NEXT_VERSION MAKER_HOST
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$1 version=$2 host=$3
keys=$(mktemp -d /tmp/vessop-release-keys.XXXXXX)
. "$root/tests/release/tsa.sh"
trap 'tsa_stop; rm -rf "$keys"' EXIT
company=$(sed -n 's/^set(VESSOP_COMPANY "\(.*\)")$/\1/p' "$root/CMakeLists.txt")
[ -n "$company" ] || { echo "no company name in CMakeLists.txt"; exit 1; }
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
  -subj "/CN=$company" -addext "extendedKeyUsage=codeSigning" >"$keys/openssl.log" 2>&1 \
  || { cat "$keys/openssl.log"; exit 1; }
tsa_start "$keys/tsa" || { echo "the local timestamp authority did not start"; cat "$keys/tsa/"*.log; exit 1; }
start=$SECONDS
key_sha256=$(openssl x509 -in "$keys/cert.pem" -noout -pubkey | openssl pkey -pubin -outform DER | sha256sum | cut -d" " -f1)
"$root/scripts/release" --key "$keys/key.pem" --cert "$keys/cert.pem" --timestamp-url "$TSA_URL" --signer-keys "$key_sha256" \
  --version "$version" --host "$host" --build "$out/build" --out "$out/dist"
echo "release $version built, signed and timestamped in $((SECONDS - start)) s"
mkdir -p "$out/verify"
cp "$keys/cert.pem" "$out/verify/signer.pem"
cp "$TSA_CA" "$out/verify/tsa-ca.pem"
test -f "$out/dist/Vessop-Setup-$version.exe" && test -f "$out/dist/update.json"
