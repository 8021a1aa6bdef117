# Shared helpers of the end-to-end tests, sourced by each run_*.sh.
#
# Each test gets a private copy of the build folder's Wine prefix (so registry changes never leak into
# another test), its own Xvfb display and its own temporary folder, and a trap removes all of them,
# also when the test fails. Waiting is done by polling a condition with a deadline, never by a fixed
# sleep. A test ends with e2e_pass, or with e2e_fail and a message; the trap reports and cleans up.
# Every wait has its own deadline, far below CTest's: a helper program or `wine` command that does not
# finish within E2E_STEP_SECONDS (30 s) fails the test, saying what it waited for, what the program
# printed and where the screenshot lies, so that a hang reports within a minute.
#
# Usage in a test:  . "$(dirname "$0")/lib.sh";  e2e_init VESSOP_EXE HELPER_DIR;  ...;  e2e_pass

set -uo pipefail

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$E2E_ROOT/scripts/lib.sh"
vessop_use_system_python
# Wine without address-space randomisation (scripts/lib.sh says why): the test starts itself again so.
vessop_can_turn_aslr_off && exec setarch "$(uname -m)" -R bash "$0" "$@"
E2E_TMP=""
E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_DONE=0
E2E_MAIN_PID=$$
E2E_STEP_SECONDS=${E2E_STEP_SECONDS:-30}
# Pixels two screenshots may differ by and still count as the same picture: a blinking caret, 2 x 32
# at the largest scale the tests use; a hover, a menu or a box changes hundreds.
E2E_CARET_PIXELS=64

e2e_log() { printf '[e2e %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

e2e_fail()
{
    if [ "$BASHPID" != "$E2E_MAIN_PID" ] && [ -n "$E2E_TMP" ]; then
        # Inside $(...) an exit would end only the subshell and leave the caller with an empty value:
        # the test's own shell is asked to fail instead, with this message.
        printf '%s\n' "$*" >"$E2E_TMP/subshell-failure"
        kill -USR1 "$E2E_MAIN_PID"
        exit 1
    fi
    e2e_log "FAIL: $*"
    if [ -n "$E2E_TMP" ] && [ -s "$E2E_TMP/app.log" ]; then
        e2e_log "the program's last output:"
        tail -n 20 "$E2E_TMP/app.log" >&2
    elif [ -n "$E2E_TMP" ]; then
        e2e_log "the program printed nothing"
    fi
    if [ -n "$E2E_TMP" ] && [ -d "$E2E_TMP" ] && [ -n "${DISPLAY:-}" ]; then
        # Keep what the screen showed, for the person reading the log.
        local keep=${E2E_KEEP_DIR:-/tmp}/vessop-e2e-fail-$(basename "$0" .sh)-$$.png
        import -window root "$keep" >/dev/null 2>&1 && e2e_log "screen at failure: $keep"
    fi
    exit 1
}

e2e_pass()
{
    E2E_DONE=1
    e2e_log "PASS"
    exit 0
}

e2e_cleanup()
{
    local status=$?
    exec 2>/dev/null  # bash would report the killed background jobs as noise
    if [ -n "${WINEPREFIX:-}" ] && [ -n "$E2E_TMP" ] && [[ "$WINEPREFIX" == "$E2E_TMP"/* ]]; then
        wineserver -k >/dev/null 2>&1 || true
        timeout -k 5 "$E2E_STEP_SECONDS" wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$E2E_APP_PID" ]; then kill "$E2E_APP_PID" >/dev/null 2>&1 || true; fi
    # Servers a test started (tests/slapd_lib.sh).
    if declare -F test_servers_stop >/dev/null; then test_servers_stop; fi
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" >/dev/null 2>&1 || true
        wait "$E2E_XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "$E2E_TMP" ] && [ -d "$E2E_TMP" ]; then rm -rf "$E2E_TMP"; fi
    if [ "$E2E_DONE" -ne 1 ] && [ "$status" -eq 0 ]; then status=1; fi
    exit "$status"
}

# Starts Xvfb on the first free display from 80 on; E2E_SCREEN overrides 1280x720x24.
e2e_start_xvfb()
{
    vessop_start_xvfb 80 160 "${E2E_SCREEN:-1280x720x24}" "$E2E_TMP/xvfb.log" || e2e_fail "no free X display"
    E2E_XVFB_PID=$VESSOP_XVFB_PID
}

# e2e_init VESSOP_EXE [HELPER_DIR]: private prefix, display and temporary folder.
e2e_init()
{
    E2E_EXE=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    E2E_BIN=${2:-$(dirname "$E2E_EXE")}
    [ -f "$E2E_EXE" ] || { echo "no program: $1"; exit 1; }
    E2E_BUILD=$(vessop_build_dir_of "$E2E_EXE") || { echo "no build folder above $E2E_EXE"; exit 1; }

    E2E_TMP=$(mktemp -d /tmp/vessop-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    trap 'e2e_fail "$(cat "$E2E_TMP/subshell-failure" 2>/dev/null)"' USR1

    "$E2E_ROOT/scripts/wine-prefix" "$E2E_BUILD" || e2e_fail "cannot prepare the build's Wine prefix"
    VESSOP_KEEP_DISPLAY=1 . "$E2E_ROOT/scripts/wine-env.sh" "$E2E_BUILD"
    cp -a "$E2E_BUILD/wineprefix-clean" "$E2E_TMP/prefix" || e2e_fail "cannot copy the Wine prefix"
    rm -f "$E2E_TMP/prefix/.vessop-ready"
    export WINEPREFIX="$E2E_TMP/prefix"
    export XDG_DATA_HOME="$E2E_TMP/xdg"
    export VESSOP_KEEP_DISPLAY=1
    # Wine's own error messages stay on: a process that fails to start says why in the logs.
    export WINEDEBUG=${E2E_WINEDEBUG:--all,err+all}
    export LANG=C.UTF-8 TZ=Asia/Seoul
    # The fixture writer puts its roots and CAs here and the test build trusts them: fixture cards are
    # genuine, as a user's certificates are.
    VESSOP_TEST_ROOTS=$(e2e_winpath "$E2E_TMP/roots")
    export VESSOP_TEST_ROOTS
    mkdir -p "$XDG_DATA_HOME"

    e2e_start_xvfb
    e2e_start_wine
    # English texts, whatever the machine's language.
    e2e_reg_add 'HKCU\Software\Vessop' Language REG_SZ en
    e2e_log "prefix $WINEPREFIX on $DISPLAY"
}

# Ends every Wine process of the prefix and starts a fresh server: some settings (the DPI) are read
# once per session.
e2e_restart_wine()
{
    wineserver -k >/dev/null 2>&1
    timeout "$E2E_STEP_SECONDS" wineserver -w >/dev/null 2>&1 || e2e_fail "Wine's server did not end"
    E2E_APP_PID=""
    e2e_start_wine
}

# One persistent server for the test, pre-warmed so that later processes start quickly, and one
# process that holds the desktop open. Wine closes a desktop one second after its last program has
# ended (Windows never does), and a program starting within that second can end up on the closing
# desktop: its window shows on the screen, but no program started after it finds the window.
e2e_start_wine()
{
    wineserver -p >/dev/null 2>&1 </dev/null
    : >"$E2E_TMP/hold.log"
    wine "$E2E_BIN/e2e_window_probe.exe" hold >>"$E2E_TMP/hold.log" 2>&1 </dev/null &
    local deadline=$((SECONDS + E2E_STEP_SECONDS))
    until grep -q holding "$E2E_TMP/hold.log"; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the desktop holder did not start: $(tail -n 3 "$E2E_TMP/hold.log")"
        sleep 0.05
    done
    e2e_wine wineboot >>"$E2E_TMP/wineboot.log" 2>&1
}

# e2e_keymap_add TEXT: gives every character of TEXT a key of its own on the display's keyboard, so
# that `xdotool type` presses that key. For a character missing from the map xdotool maps a spare key
# for the length of one press, and a program reads the new map only when it handles the mapping's
# notice: on a busy machine the key had been unmapped again by then, and the character was lost.
# Call it before starting the program: Wine gives such a key a virtual-key code when it starts, and
# did not take up a map changed later.
e2e_keymap_add()
{
    local text=$1 free ch sym line i=0 code
    read -r -a free <<<"$(xmodmap -pke | awk '$1 == "keycode" && NF == 3 { print $2 }' | sort -n | tr '\n' ' ')"
    while [ -n "$text" ]; do
        ch=${text:0:1}; text=${text:1}
        [ $i -lt ${#free[@]} ] || e2e_fail "no spare key left on the keyboard map for $ch"
        code=${free[$i]}; i=$((i + 1))
        sym=$(printf 'U%04X' "'$ch")
        # The lowest free key codes, with the symbol on every level, as xdotool maps its spare key:
        # Wine gave a high key code (248) mapped the same way no virtual-key code.
        xmodmap -e "keycode $code = $sym $sym $sym $sym" 2>"$E2E_TMP/xmodmap.err" \
            || e2e_fail "xmodmap could not map $ch: $(cat "$E2E_TMP/xmodmap.err")"
        # Read whole first: grep -q would end the pipe early, and pipefail would count xmodmap's SIGPIPE.
        line=$(xmodmap -pke | grep -E "^keycode +$code =")
        [[ "$line" =~ =\ $sym ]] || e2e_fail "the keyboard map did not keep $ch on key $code: $line"
    done
}

# `wine` with the step deadline; a command still running then fails the test.
e2e_wine() # ARGS...
{
    local status=0
    timeout -k 5 "$E2E_STEP_SECONDS" wine "$@" </dev/null || status=$?
    [ "$status" -eq 124 ] || [ "$status" -eq 137 ] && e2e_fail "wine $* did not finish within $E2E_STEP_SECONDS s"
    return "$status"
}

e2e_reg_add() # KEY NAME TYPE DATA
{
    e2e_wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >>"$E2E_TMP/reg.log" 2>&1 && return 0
    e2e_fail "reg add $1 $2 failed: $(tail -n 5 "$E2E_TMP/reg.log" | tr '\r\n' '  ')"
}

e2e_reg_delete_value() # KEY NAME
{
    e2e_wine reg delete "$1" /v "$2" /f >>"$E2E_TMP/reg.log" 2>&1 || true
}

# Prints the data of a value as `reg query` shows it (REG_BINARY as hex digits); status 1 when missing.
e2e_reg_query() # KEY NAME
{
    local out
    out=$(e2e_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
    local line
    line=$(printf '%s\n' "$out" | grep -E "^\s+$2\s+REG_" | head -n 1) || return 1
    [ -n "$line" ] || return 1
    printf '%s\n' "$line" | sed -E "s/^\s+$2\s+REG_[A-Z_]+\s*//"
}

e2e_key_exists() # KEY
{
    e2e_wine reg query "$1" >/dev/null 2>&1
}

# Windows path of a Unix path (Wine maps / to Z:).
e2e_winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# e2e_start_on_fixture K: writes K valid certificates under $E2E_TMP/tree (Unix path in $tree, Windows
# path in $wtree), starts Vessop.exe searching only there and waits for its window.
e2e_start_on_fixture()
{
    tree="$E2E_TMP/tree"
    mkdir -p "$tree"
    wtree=$(e2e_winpath "$tree")
    e2e_helper e2e_make_fixture count "$wtree" "$1" 1 >/dev/null || e2e_fail "fixture not written"
    e2e_start --root "$wtree"
    e2e_wait_window
}

# e2e_start_losing_device: starts the test build of Vessop whose Present loses the device once each
# time the file $trigger appears (tests/e2e/device_loss_calls.cpp), on 3 certificates, logging its swap
# chains to $E2E_TMP/gfx.log; then sets the card column (e2e_card_column).
e2e_start_losing_device()
{
    E2E_EXE="$E2E_BIN/e2e_vessop_device_loss.exe"
    [ -f "$E2E_EXE" ] || e2e_fail "no $E2E_EXE"
    trigger=$E2E_TMP/lose-device
    export VESSOP_TEST_LOSE_DEVICE VESSOP_TEST_GFX_LOG
    VESSOP_TEST_LOSE_DEVICE=$(e2e_winpath "$trigger")
    VESSOP_TEST_GFX_LOG=$(e2e_winpath "$E2E_TMP/gfx.log")
    : >"$E2E_TMP/gfx.log"
    e2e_start_on_fixture 3
    e2e_card_column
}

# e2e_removable_drive LETTER FOLDER: maps a drive letter to a Unix folder as a removable (USB) drive.
# Drive types are read when the Wine server starts, so the server is restarted (start Vessop after).
e2e_removable_drive()
{
    mkdir -p "$2"
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:" || e2e_fail "cannot map $1:"
    e2e_reg_add 'HKLM\Software\Wine\Drives' "$1:" REG_SZ floppy
    e2e_restart_wine
}

# e2e_start [ARGS...]: starts Vessop.exe in the background.
e2e_start()
{
    # The pointer rests in the corner: a window that opens under it would show a hover, and Wine
    # reports the pointer leaving only a while after it moved away.
    # (Not `mousemove --sync`: it waits for the pointer to move, and one already in the corner never does.)
    xdotool mousemove 0 0 >/dev/null 2>&1
    local deadline=$((SECONDS + 5))
    until [ "$(xdotool getmouselocation 2>/dev/null | cut -d' ' -f1-2)" = "x:0 y:0" ]; do
        [ $SECONDS -lt $deadline ] || { e2e_log "the pointer did not reach the corner"; break; }
        sleep 0.05
    done
    e2e_run_app "$E2E_EXE" "$@" &
    E2E_APP_PID=$!
}

# Runs a Windows program with its output appended to app.log, and once more if Wine could not map the
# shared user data at its fixed address: that process ended before any of its code ran. Any other end
# is left as it is. Status: the program's.
e2e_run_app() # EXE [ARGS...]
{
    local from status=0
    from=$(stat -c %s "$E2E_TMP/app.log" 2>/dev/null || echo 0)
    wine "$@" >>"$E2E_TMP/app.log" 2>&1 </dev/null || status=$?
    if vessop_wine_lost_its_start "$status" <(tail -c +$((from + 1)) "$E2E_TMP/app.log"); then
        e2e_log "$(basename "$1"): Wine could not map the shared user data at its fixed address; started once more"
        status=0
        wine "$@" >>"$E2E_TMP/app.log" 2>&1 </dev/null || status=$?
    fi
    return "$status"
}

# Waits until the process started by e2e_start has ended; status 1 on timeout.
e2e_wait_exit() # SECONDS
{
    local deadline=$((SECONDS + $1))
    while kill -0 "$E2E_APP_PID" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
    wait "$E2E_APP_PID" 2>/dev/null
    E2E_APP_PID=""
    return 0
}

# Prints the first visible X window whose title matches a regular expression, waiting for it; status 1
# on timeout. Searched again and again (every INTERVAL seconds, 0.2 unless given): xdotool gives up at
# once when a window it looks at goes away meanwhile, which happens while Wine opens and closes its own
# helper windows.
e2e_find_window() # REGEX SECONDS [INTERVAL]
{
    local deadline=$((SECONDS + $2)) found
    while :; do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$found" ] && { printf '%s\n' "$found"; return 0; }
        [ $SECONDS -lt $deadline ] || return 1
        sleep "${3:-0.2}"
    done
}

# Sets E2E_WID to the visible top-level X window titled "Vessop".
e2e_wait_window() # [SECONDS]
{
    E2E_WID=$(e2e_find_window '^Vessop$' "${1:-30}") || e2e_fail "the window did not appear"
}

# Waits until no visible "Vessop" window is left.
e2e_wait_no_window() # SECONDS
{
    local deadline=$((SECONDS + $1))
    while xdotool search --onlyvisible --name '^Vessop$' >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# Runs a helper program from the build's bin folder inside the private prefix; prints its output. Its
# own error output is kept in helper.err; one still running after the step deadline fails the test.
e2e_helper() # NAME [ARGS...]
{
    local name=$1 status
    shift
    timeout -k 5 "$E2E_STEP_SECONDS" wine "$E2E_BIN/$name.exe" "$@" 2>"$E2E_TMP/helper.err" </dev/null | tr -d '\r'
    status=${PIPESTATUS[0]}
    if vessop_wine_lost_its_start "$status" "$E2E_TMP/helper.err"; then
        e2e_log "$name $*: Wine could not map the shared user data at its fixed address; started once more"
        timeout -k 5 "$E2E_STEP_SECONDS" wine "$E2E_BIN/$name.exe" "$@" 2>"$E2E_TMP/helper.err" </dev/null | tr -d '\r'
        status=${PIPESTATUS[0]}
    fi
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        e2e_fail "$name $* did not finish within $E2E_STEP_SECONDS s"
    fi
    # Status 2 with nothing on stderr is the probes' own "not there", asked again and again while polling.
    if [ "$status" -ne 0 ] && { [ "$status" -ne 2 ] || [ -s "$E2E_TMP/helper.err" ]; }; then
        e2e_log "$name $* ended with status $status; its error output: $(tail -n 5 "$E2E_TMP/helper.err" 2>/dev/null | tr '\n' ' ')"
    fi
    return "$status"
}

# True when the clipboard, as Windows programs under this Wine read it, holds exactly TEXT.
e2e_clipboard_is() { [ "$(e2e_helper e2e_window_probe clipboard)" = "$1" ]; }

# Reads one key of `window_probe info` (class, title, window, client, normal, dpi, work, …); a probe
# that cannot give it fails the test with what it printed.
e2e_probe() # KEY
{
    local out status=0 value
    out=$(e2e_helper e2e_window_probe info) || status=$?
    value=$(sed -n "s/^$1=//p" <<<"$out")
    [ -n "$value" ] || e2e_fail "the window probe gave no $1 (status $status): '$(tr '\n' ' ' <<<"$out")'" \
        "$(tail -n 3 "$E2E_TMP/helper.err" 2>/dev/null | tr '\n' ' ')"
    printf '%s\n' "$value"
}

# Absolute X geometry of a window as "x y width height".
e2e_x_geometry() # WID
{
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^ *Width:/{w=$NF} /^ *Height:/{h=$NF} END{print x, y, w, h}'
}

e2e_shot() # FILE
{
    timeout "$E2E_STEP_SECONDS" import -window root "$1" >/dev/null 2>&1 || e2e_fail "screenshot failed"
}

# "r,g,b" of one pixel of a screenshot.
e2e_pixel() # FILE X Y
{
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null \
        | sed -n 's/^0,0: *( *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1,\2,\3/p' | head -n 1
}

# Fails unless the pixel at (X, Y) is within TOLERANCE of R,G,B in every channel (anti-aliased
# edges and alpha blending may round either way).
e2e_expect_pixel() # FILE X Y R,G,B TOLERANCE WHAT
{
    local got
    got=$(e2e_pixel "$1" "$2" "$3")
    python3 -c 'import sys; g=[int(v) for v in sys.argv[1].split(",")]; w=[int(v) for v in sys.argv[2].split(",")]
sys.exit(0 if len(g)==3 and all(abs(a-b)<=int(sys.argv[3]) for a,b in zip(g,w)) else 1)' "$got" "$4" "$5" \
        || e2e_fail "$6: pixel ($2,$3) is $got, expected $4 (within $5)"
}

# The darkest grey level (0-255) in a region of a screenshot: how strongly text there is inked.
e2e_darkest() # FILE X Y WIDTH HEIGHT
{
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -format '%[fx:int(255*minima)]' info: 2>/dev/null
}

# Polls the screen until the pixel at absolute (X, Y) has the colour; status 1 on timeout.
e2e_wait_pixel() # X Y R,G,B SECONDS
{
    local deadline=$((SECONDS + $4)) got=""
    while :; do
        e2e_shot "$E2E_TMP/poll.png"
        got=$(e2e_pixel "$E2E_TMP/poll.png" "$1" "$2")
        [ "$got" = "$3" ] && return 0
        [ $SECONDS -lt $deadline ] || { e2e_log "pixel ($1,$2) is $got, wanted $3"; return 1; }
        sleep 0.2
    done
}

# Text read from a region of a screenshot (scaled up: tesseract reads small UI text better).
e2e_ocr() # FILE X Y WIDTH HEIGHT
{
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -resize 300% "$E2E_TMP/ocr.png" 2>/dev/null
    tesseract "$E2E_TMP/ocr.png" - --psm 6 -l eng 2>/dev/null
}

# Waits until OCR of a region matches an extended regular expression; status 1 on timeout. Every
# picture the region shows meanwhile is kept (region_frames.py), so a notice that stays three seconds
# is not missed while another picture is being read on a loaded machine. The newest picture is read
# first, so that a region that changed often is not read through its whole history before its present.
e2e_wait_text() # X Y WIDTH HEIGHT REGEX SECONDS
{
    local frames picture newest text="" found=1 watcher backstop=$((SECONDS + $6 + 15))
    frames=$(mktemp -d "$E2E_TMP/frames.XXXXXX")
    python3 "$E2E_ROOT/tests/e2e/region_frames.py" "$1" "$2" "$3" "$4" "$frames" "$6" &
    watcher=$!
    while :; do
        newest=-1
        for picture in "$frames"/*.ppm; do
            [ -e "$picture" ] || continue
            picture=${picture##*/} picture=${picture%.ppm}
            [ "$picture" -gt "$newest" ] && newest=$picture
        done
        if [ "$newest" -ge 0 ]; then
            text=$(e2e_ocr "$frames/$newest.ppm" 0 0 "$3" "$4")
            rm -f "$frames/$newest.ppm"
            if printf '%s' "$text" | grep -Eq "$5"; then found=0; break; fi
        elif [ -e "$frames/done" ]; then
            # The last picture may have been named just before "done" was written.
            compgen -G "$frames/*.ppm" >/dev/null || break
        elif [ $SECONDS -ge $backstop ]; then
            e2e_log "the region's pictures stopped coming"
            break
        else
            sleep 0.1
        fi
    done
    touch "$frames/stop"
    wait "$watcher" 2>/dev/null
    rm -rf "$frames"
    [ $found -eq 0 ] || e2e_log "read: $(printf '%s' "$text" | tr '\n' ' ')"
    return $found
}

# e2e_until WHAT SECONDS COMMAND [ARGS...]: runs COMMAND again and again until it succeeds; after
# SECONDS fails the test, saying what it waited for.
e2e_until()
{
    local what=$1 seconds=$2 deadline=$((SECONDS + $2))
    shift 2
    until "$@"; do
        [ $SECONDS -lt $deadline ] || e2e_fail "waited $seconds s in vain for: $what"
        sleep 0.1
    done
}

# How many pixels two pictures of the same size differ in (`compare` prints it on standard error and
# exits 1 when any do).
e2e_pixels_differing() { compare -metric AE "$1" "$2" null: 2>&1; }

# Waits until a region of the screen has stopped changing: two screenshots in a row show it alike (a
# menu or box has been drawn, a hover has gone). A few pixels may differ: a focused edit box's caret
# blinks every half second, and on a loaded machine a screenshot takes about as long, so two shots
# in a row may never agree on it. Status 1 when it is still changing after SECONDS.
e2e_wait_settled() # X Y WIDTH HEIGHT SECONDS
{
    local deadline=$((SECONDS + $5)) previous="" now=0 differing
    while :; do
        e2e_shot "$E2E_TMP/settle.png"
        convert "$E2E_TMP/settle.png" -crop "${3}x${4}+${1}+${2}" +repage "$E2E_TMP/settle$now.ppm" 2>/dev/null
        if [ -n "$previous" ]; then
            differing=$(e2e_pixels_differing "$E2E_TMP/settle$previous.ppm" "$E2E_TMP/settle$now.ppm")
            [[ $differing =~ ^[0-9]+$ ]] && [ "$differing" -le "$E2E_CARET_PIXELS" ] && return 0
        fi
        [ $SECONDS -lt $deadline ] || { e2e_log "the region $1,$2 ${3}x$4 was still changing after $5 s"; return 1; }
        previous=$now now=$((1 - now))
        sleep 0.1
    done
}

# The card column of the list: sets cx cy (client origin), cw ch (client size), content (the cards'
# width), x0 (their left edge in the client) and middle (their centre on the screen).
e2e_card_column()
{
    read -r cx cy <<<"$(e2e_client_origin)"
    IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
    content=$(( cw - 48 < 960 ? cw - 48 : 960 ))
    x0=$(( (cw - content + 1) / 2 ))
    middle=$((cx + x0 + content / 2))
}

# Opens the settings menu with a click on its toolbar button and chooses the N-th item with the Down
# key (separators are skipped): with no added folders, 1 Language, 2 Export list, 3 Automatic updates,
# 4 the reminders, 5 Check for updates, 6 More apps, 7 About, 8 Check with issuers.
e2e_choose_from_settings_menu() # N
{
    local cx cy cw deadline=$((SECONDS + 10)) keys=()
    read -r cx cy <<<"$(e2e_client_origin)"
    IFS=, read -r _ _ cw _ <<<"$(e2e_probe client)"
    xdotool mousemove $((cx + cw - 28)) $((cy + 26)) click 1
    until e2e_popup_geometries >/dev/null; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the settings menu did not open"
        sleep 0.1
    done
    for _ in $(seq 1 "$1"); do keys+=(Down); done
    xdotool key "${keys[@]}" Return
}

# Client origin on the screen ("x y") as Windows reports it.
e2e_client_origin()
{
    e2e_probe client | awk -F, '{print $1, $2}'
}

# Bounding box ("width height x y") of the pixels in a region that differ clearly from a colour.
e2e_ink_box() # FILE X Y WIDTH HEIGHT R,G,B
{
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fill black -fuzz 20% -opaque "rgb($6)" \
        -fill white +opaque black -trim -format '%w %h %X %Y' info: 2>/dev/null
}

# Whether any pixel of a region is close to a colour (as a coloured label's ink is): status 0 when so.
e2e_region_has_colour() # FILE X Y WIDTH HEIGHT R,G,B
{
    local found
    found=$(convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fuzz 12% -fill black +opaque "rgb($6)" \
        -fill white -opaque "rgb($6)" -colorspace Gray -format '%[fx:maxima>0.5]' info: 2>/dev/null)
    [ "$found" = "1" ]
}

# Prints "x" of the first column, walking left from START_X along row Y, whose pixel is no longer R,G,B
# (within 3): where a filled shape ends.
e2e_edge_leftwards() # FILE START_X Y R,G,B
{
    convert "$1" -crop "$(($2 + 1))x1+0+$3" +repage -depth 8 txt:- 2>/dev/null | python3 -c '
import re, sys
want = [int(v) for v in sys.argv[2].split(",")]
pixels = {}
for line in sys.stdin:
    m = re.match(r"(\d+),0:\((\d+),(\d+),(\d+)", line.replace(" ", ""))
    if m: pixels[int(m.group(1))] = [int(m.group(i)) for i in (2, 3, 4)]
x = int(sys.argv[1])
while x >= 0 and x in pixels and all(abs(a - b) <= 3 for a, b in zip(pixels[x], want)): x -= 1
print(x)' "$2" "$4"
}

# The text lines read from a region, one per output line as "Y<TAB>text" with Y the line's middle in
# screen coordinates.
e2e_ocr_lines() # FILE X Y WIDTH HEIGHT
{
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -resize 300% "$E2E_TMP/ocr-lines.png" 2>/dev/null
    tesseract "$E2E_TMP/ocr-lines.png" - --psm 6 -l eng tsv 2>/dev/null | python3 -c '
import sys
top = int(sys.argv[1])
lines = {}
for row in sys.stdin.read().splitlines()[1:]:
    f = row.split("\t")
    if len(f) < 12 or f[0] != "5" or not f[11].strip(): continue
    key = (int(f[2]), int(f[3]), int(f[4]))
    y = top + (int(f[7]) + int(f[9]) // 2) // 3
    lines.setdefault(key, [y, []])[1].append(f[11])
for key in sorted(lines):
    y, words = lines[key]
    print("%d\t%s" % (y, " ".join(words)))' "$3"
}

# The geometries "x y width height" of the visible popup menus (unnamed windows larger than a line of
# text), the menu first and its open submenus after it; status 1 when none is open.
e2e_popup_geometries()
{
    local w x y wd ht found=""
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        # A popup is override-redirect; the swap chain's child window over the client area is not.
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        read -r x y wd ht <<<"$(e2e_x_geometry "$w")"
        if [ "${ht:-0}" -gt 30 ] && [ "${wd:-0}" -gt 30 ]; then found+="$x $y $wd $ht"$'\n'; fi
    done
    [ -n "$found" ] || return 1
    printf '%s' "$found" | sort -k1,1n
}
