#!/usr/bin/env bash
# After the scan of a --root tree with three certificates the summary headline says so.
# Usage: run_summary.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_start_on_fixture 3
[ "$(find "$tree" -name signCert.der | wc -l)" -eq 3 ] || e2e_fail "fixture has no three certificates"
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 60)) 600 50 'Certificates: 3' 20 || e2e_fail "summary does not read 3 certificates"
e2e_pass
