#!/usr/bin/env bash
# What a screen reader finds, walked from another process with UI Automation's client functions
# (tests/e2e/uia_probe.cpp): the toolbar's buttons by name, the summary, and the list with one item per
# card, named by holder, issuer, purpose, until date, status and place, with its Copy, Open folder and
# Recycle buttons, each at the rectangle the hit test uses, on the screen (where the client side can
# read rectangles: Wine 8's cannot, and the unit tests check them on the provider). The element with the
# keyboard focus says so. With the pane open (Enter) the rows read "label: value", then Copy all and
# Close; a copied row's notice is live text. Invoking "Copy all" from the client puts every row on the
# clipboard, where the client side can invoke: Wine 8 cannot (UiaGetPatternProvider is a stub that
# aborts the caller), so there the provider's Invoke is covered by the UiaProvider unit tests instead.
# Usage: run_screen_reader.sh VESSOP_EXE
script_args=("$@")
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_start_on_fixture 3
read -r cx cy <<<"$(e2e_client_origin)"
e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 'Certificates: 3' 20 || e2e_fail "no three certificates"
xdotool mousemove 0 0
IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
content=$(( cw - 48 < 960 ? cw - 48 : 960 ))
x0=$(( (cw - content + 1) / 2 ))

# Now and then Wine's COM leaves the program's UI Automation objects unable to answer: a client's
# release makes an RPC thread wait, in RpcServerUnregisterIf, for calls that never end, and every later
# call from any client hangs while the window itself goes on. A walk that does not finish within its
# step has the whole test made once more, on a new start of the program in a new prefix; a second
# hang fails it.
tree()
{
    local status=0
    timeout -k 5 "$E2E_STEP_SECONDS" wine "$E2E_BIN/e2e_uia_probe.exe" tree 2>"$E2E_TMP/helper.err" </dev/null \
        | tr -d '\r' >"$E2E_TMP/tree.txt"
    status=${PIPESTATUS[0]}
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        [ -z "${E2E_UIA_AGAIN:-}" ] || e2e_fail "e2e_uia_probe tree did not finish within $E2E_STEP_SECONDS s, again"
        e2e_log "e2e_uia_probe tree did not finish within $E2E_STEP_SECONDS s (Wine's COM): the test is made once more"
        E2E_UIA_AGAIN=1 bash "$0" "${script_args[@]}" && e2e_pass
        e2e_fail "the test made once more failed"
    fi
    if [ "$status" -ne 0 ]; then
        status=0
        e2e_helper e2e_uia_probe tree >"$E2E_TMP/tree.txt" || status=$?
    fi
    [ "$status" -eq 0 ] || e2e_fail "the probe found no tree (status $status)"
}
# check.py reads the tree and a list of expectations, one per argument: "DEPTH|TYPE|NAME-REGEX[|RECT][|FLAGS]"
# in the order they must appear (other lines may lie between).
expect_tree()
{
    python3 - "$E2E_TMP/tree.txt" "$@" <<'EOF' || e2e_fail "the tree is not as expected (see above)"
import re, sys
lines = [l.rstrip("\r\n").split("\t") for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
at = 0
for want in sys.argv[2:]:
    parts = want.split("|")
    depth, kind, name = parts[0], parts[1], parts[2]
    rect = parts[3] if len(parts) > 3 and parts[3] else None
    flags = parts[4] if len(parts) > 4 else None
    while at < len(lines):
        l = lines[at]
        at += 1
        if l[0] == depth and l[1] == kind and re.fullmatch(name, l[2]) and (rect is None or l[3] == rect) \
                and (flags is None or flags in l[4].split()):
            break
    else:
        print("not found: " + want)
        print("tree:\n" + "\n".join("\t".join(l) for l in lines))
        sys.exit(1)
EOF
}

button=50000 list_item=50007 list=50008 text=50020 pane=50033
card='KFTC \(yessign\), All-purpose, until [0-9]{4}-[0-9]{2}-[0-9]{2}, D-[0-9]+, Hard disk \(Z:\)'
tree
expect_tree "1|$button|Add folder" "1|$button|Refresh" "1|$button|Menu" \
    "1|$text|Certificates: 3, NPKI folders checked on hard disks and USB drives: 1" \
    "1|$list|Certificate list" "2|$list_item|Tester1, $card" \
    "3|$button|Copy" "3|$button|Open folder" "3|$button|Recycle" "2|$list_item|Tester2, $card"
# The rectangles are the hit test's, on the screen: a pointer at the middle of Recycle's hovers its card.
rect=$(awk -F'\t' '$1 == 2 && $2 == 50007 {print $4; exit}' "$E2E_TMP/tree.txt")
if [ "$rect" = "-" ]; then
    e2e_log "Wine 8: no BoundingRectangle on the client side (UiaGetPropertyValue answers E_NOTIMPL)"
else
    [ "$rect" = "$((cx + x0)),$((cy + 152)),$content,96" ] || e2e_fail "the first card's rectangle is $rect"
    read -r rx ry rw rh <<<"$(awk -F'\t' '$1 == 3 && $3 == "Recycle" {gsub(",", " ", $4); print $4; exit}' "$E2E_TMP/tree.txt")"
    xdotool mousemove $((${rx%.*} + ${rw%.*} / 2)) $((${ry%.*} + ${rh%.*} / 2))
    e2e_wait_pixel "$((cx + x0 + content / 2))" $((cy + 152)) 110,191,184 10 \
        || e2e_fail "Recycle's rectangle is not where the card answers the pointer"
    xdotool mousemove 0 0
fi

# The keyboard focus on the second card (the search field is the first stop); Enter opens its pane.
xdotool key --window "$E2E_WID" --delay 60 Tab Tab Tab Tab Tab Tab Tab Tab Tab
e2e_wait_pixel $((cx + x0 - 3)) $((cy + 258 + 48)) 13,148,136 10 || e2e_fail "no ring around the second card"
tree
expect_tree "2|$list_item|Tester2, .*||focus"
xdotool key --window "$E2E_WID" Return
e2e_wait_pixel $((cx + 5)) $((cy + 300)) 150,151,153 10 || e2e_fail "Enter did not open the pane"
xdotool key --window "$E2E_WID" --delay 60 Down Down Down Down Down Down Down Down Down Down
# The copied row's notice lives 3 s: it is read with the live elements alone (a whole tree takes longer
# than that on a busy machine). A read that ended later than 3 s proves nothing either way and the copy
# is made again; one read in time without the notice fails below.
for attempt in 1 2 3; do
    copied_at=$(date +%s.%N)
    xdotool key --window "$E2E_WID" Return
    e2e_helper e2e_uia_probe live >"$E2E_TMP/tree.txt" || e2e_fail "the probe found no live text (status $?)"
    took=$(python3 -c 'import sys, time; print("%.1f" % (time.time() - float(sys.argv[1])))' "$copied_at")
    grep -q "$(printf '^1\t50020\tCopied: Serial number\t')" "$E2E_TMP/tree.txt" && break
    python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) > 2.8 else 1)' "$took" || break
    e2e_log "the live text took $took s to read, longer than the notice lives: copied and read again"
done
expect_tree "1|$text|Copied: Serial number||live"
tree
expect_tree "1|$pane|Tester2" "2|$button|Name \(CN\): Tester2\(\)[0-9]+" "2|$button|Serial number: 0100000002||focus" \
    "2|$button|Copy all" "2|$button|Close"

case "$(wine --version 2>/dev/null)" in
wine-8.*)
    e2e_log "Wine 8: no Invoke from the client side (UiaGetPatternProvider is a stub)" ;;
*)
    e2e_helper e2e_uia_probe invoke "Copy all" >/dev/null || e2e_fail "Invoke on Copy all failed"
    deadline=$((SECONDS + 10))
    until xclip -o -selection clipboard 2>/dev/null | head -n 1 | grep -q '^Name (CN): Tester2'; do
        [ $SECONDS -lt $deadline ] || e2e_fail "Copy all put no details on the clipboard"
        sleep 0.2
    done ;;
esac
e2e_pass
