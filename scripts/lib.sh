# Sourced helpers shared by the scripts and the shell tests.

# Prints the build folder of a file: the nearest folder above it that holds CMakeCache.txt.
# Status 1 when there is none.
vessop_build_dir_of() # PATH
{
    local dir
    dir=$(cd "$(dirname "$1")" && pwd) || return 1
    while [ "$dir" != "/" ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then printf '%s\n' "$dir"; return 0; fi
        dir=$(dirname "$dir")
    done
    return 1
}

# Starts Xvfb on the first free display number from FIRST to LAST and waits until it answers; sets
# DISPLAY and VESSOP_XVFB_PID. Status 1 when no display could be started. Several runs may race
# for a number: a loser sees its server exit and tries the next one. -noreset: the server keeps what
# a test set (the keyboard map) when its last client leaves, as when Wine is restarted.
vessop_start_xvfb() # FIRST LAST SCREEN LOG
{
    local n i
    VESSOP_XVFB_PID=""
    for n in $(seq "$1" "$2"); do
        { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
        Xvfb ":$n" -screen 0 "$3" -noreset -nolisten tcp -nolisten unix-abstract >"$4" 2>&1 &
        VESSOP_XVFB_PID=$!
        for i in $(seq 1 50); do
            kill -0 "$VESSOP_XVFB_PID" 2>/dev/null || break
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                # The server that answers must be this one: when two runs start one for the same number,
                # the loser's question is answered by the winner until the loser has exited.
                if [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$VESSOP_XVFB_PID" ]; then
                    export DISPLAY=":$n"
                    return 0
                fi
                break
            fi
            sleep 0.1
        done
        kill "$VESSOP_XVFB_PID" >/dev/null 2>&1 || true
        wait "$VESSOP_XVFB_PID" 2>/dev/null || true
        VESSOP_XVFB_PID=""
    done
    return 1
}

# Wine's loader in Debian's package (wine64) is linked at 0x7d000000 and comes without a preloader, so
# nothing reserves the low addresses Wine needs before the C library's heap is placed: with address-space
# randomisation the kernel puts that heap anywhere up to 1 GB above the loader. Now and then it covers
# 0x7ffe0000, the fixed address of Windows' shared user data page, and the process ends with "failed to
# map the shared user data: c0000018" before any of its code runs: about once in a test run, which
# starts thousands of Wine processes. Without randomisation the heap lies right after the loader.
#
# vessop_aslr_is_off: true when this process (and so what it starts) runs without randomisation.
vessop_aslr_is_off()
{
    local personality
    personality=$(cat /proc/self/personality 2>/dev/null) || return 1
    [ $((0x$personality & 0x0040000)) -ne 0 ]
}

# vessop_can_turn_aslr_off: true when randomisation is on and the kernel lets a process turn it off (a
# container's seccomp filter may refuse). Scripts then start themselves again without it:
#   vessop_can_turn_aslr_off && exec setarch "$(uname -m)" -R "$0" "$@"
vessop_can_turn_aslr_off()
{
    ! vessop_aslr_is_off && setarch "$(uname -m)" -R true 2>/dev/null
}

# vessop_without_aslr COMMAND [ARGS...]: runs COMMAND without randomisation, which every process it starts
# inherits, where the kernel allows it; as it is otherwise.
vessop_without_aslr()
{
    if vessop_can_turn_aslr_off; then setarch "$(uname -m)" -R "$@"; else "$@"; fi
}

# vessop_wine_lost_its_start STATUS ERR_FILE: true when a Wine process ended with that message. It should
# not happen any more without randomisation; where the kernel did not allow turning it off, such a
# process is started once more (none of its code ran, so no work is repeated), and the log says so.
vessop_wine_lost_its_start()
{
    [ "$1" -ne 0 ] && grep -q 'failed to map the shared user data' "$2" 2>/dev/null
}

# vessop_use_system_python: takes version managers' shim folders (pyenv's) out of PATH, so that `python3`
# is Debian's, the one scripts/setup installs with the modules the tests use. A shim runs a chain of
# shell scripts before Python starts: 0.4 s a call against 0.03 s, and the tests call Python thousands
# of times.
vessop_use_system_python()
{
    local dir kept=""
    local IFS=:
    for dir in $PATH; do
        case $dir in */.pyenv/shims|*/.pyenv/plugins/*/shims|*/.pyenv/bin) continue ;; esac
        kept=${kept:+$kept:}$dir
    done
    export PATH=$kept
}
