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

# vessop_wine_lost_its_start STATUS ERR_FILE: true when a Wine process failed before any of its code
# ran because Wine could not map the shared user data page at its fixed address (a collision in the
# new process's address space that Wine reports as "failed to map the shared user data"). Nothing of
# the program ran, so starting it once more repeats no work; any other failure is left as it is.
vessop_wine_lost_its_start()
{
    [ "$1" -ne 0 ] && grep -q 'failed to map the shared user data' "$2" 2>/dev/null
}
