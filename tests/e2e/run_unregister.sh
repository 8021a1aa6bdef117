#!/usr/bin/env bash
# --unregister anywhere on the command line removes HKCU\Software\Vessop and ends without a window.
# Usage: run_unregister.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

key='HKCU\Software\Vessop'
for args in "--unregister" "--root C:\\ --unregister"; do
    e2e_reg_add "$key" AutoUpdate REG_DWORD 0
    e2e_reg_add "$key\\Sub" Value REG_SZ x
    e2e_key_exists "$key" || e2e_fail "could not prepare the key"
    # shellcheck disable=SC2086
    e2e_start $args
    e2e_wait_exit 15 || e2e_fail "'$args' did not end"
    e2e_key_exists "$key" && e2e_fail "'$args' left the settings key"
    xdotool search --name '^Vessop$' >/dev/null 2>&1 && e2e_fail "'$args' created a window"
done
# Without the key it ends just as quietly.
e2e_start --unregister
e2e_wait_exit 15 || e2e_fail "--unregister without a key did not end"
e2e_pass
