#!/usr/bin/env bash
# The search field on the real window, with three certificates (한빛물산, 홍길동, 이서준):
#   - Ctrl+F and "홍" leave one card, 홍길동's (its D-200 pill), under "Certificates: 1 of 3";
#   - Escape gives the whole list back; "ㅎㄱㄷ" (initial consonants) finds 홍길동 again; a query
#     with no match says so;
#   - a second Escape hands the keys back to the list (typing no longer filters), and Ctrl+F takes
#     them into the field again;
#   - vessop-scan --csv prints the certificates as a CSV table a spreadsheet reads: a byte-order mark,
#     a header and one row per certificate, checked with Python's csv module;
#   - "Export list…" through the system's save dialog, with the search still narrowing the list,
#     writes the whole list: every cell equal to the scan's, and "Saved: <name>" says so.
# Usage: run_search.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

e2e_removable_drive e "$E2E_TMP/usb"
e2e_helper e2e_make_fixture cards 'C:\' 'E:\' >/dev/null || e2e_fail "fixture not written"
e2e_keymap_add '홍'
e2e_start --root 'C:\' --root 'E:\'
e2e_wait_window

read -r cx cy <<<"$(e2e_client_origin)"
IFS=, read -r _ _ cw _ <<<"$(e2e_probe client)"
content=$((cw - 48 < 960 ? cw - 48 : 960))
left=$((cx + (cw - content) / 2))
headline() { e2e_wait_text $((cx + 10)) $((cy + 70)) 600 46 "$1" 20 || e2e_fail "$2"; }
# The first card's pill (its right end, 14 px in) and the second card's top outline.
first_pill() { e2e_wait_text $((left + content - 120)) $((cy + 162)) 110 30 "$1" 10 || e2e_fail "$2"; }
# Ctrl+F, then wait until the field's frame turns accent: keys typed before it has the focus would go
# to the list.
into_field()
{
    local deadline=$((SECONDS + 10))
    xdotool key ctrl+f
    until e2e_shot "$E2E_TMP/field.png" &&
        e2e_region_has_colour "$E2E_TMP/field.png" $((cx + 150)) $((cy + 8)) $((cw / 2 - 150)) 36 13,148,136; do
        [ $SECONDS -lt $deadline ] || e2e_fail "Ctrl+F did not focus the search field"
        sleep 0.1
    done
}
second_card_shown()
{
    e2e_shot "$E2E_TMP/cards.png"
    [ "$(e2e_pixel "$E2E_TMP/cards.png" $((left + content / 2)) $((cy + 258)))" = 227,230,234 ]
}

headline '^Certificates: 3' "no three certificates at first"
xdotool windowfocus --sync "$E2E_WID" 2>/dev/null || true
into_field
xdotool type --delay 80 '홍'
headline 'Certificates: 1 of 3' "typing 홍 did not narrow the list to one"
first_pill 'D-200' "the card left is not 홍길동's"
! second_card_shown || e2e_fail "a second card is still drawn"

xdotool key Escape
headline '^Certificates: 3$' "Escape did not give the whole list back"
second_card_shown || e2e_fail "the second card did not come back"

# Pasted, as people also enter a search: Ctrl+V in the field.
printf '%s' 'ㅎㄱㄷ' | timeout "$E2E_STEP_SECONDS" xclip -selection clipboard -i || e2e_fail "xclip could not set the clipboard"
# xclip returns before its background copy owns the selection, and Wine takes the X clipboard over in
# its own time: Ctrl+V waits until Windows' clipboard holds the text, or it would paste nothing.
e2e_until "Wine's clipboard to hold ㅎㄱㄷ" 10 e2e_clipboard_is 'ㅎㄱㄷ'
xdotool key ctrl+v
headline 'Certificates: 1 of 3' "ㅎㄱㄷ did not find 홍길동"
first_pill 'D-200' "ㅎㄱㄷ found another card"
xdotool type --delay 40 'zz'
headline 'Certificates: 0 of 3' "a query without matches still lists cards"
e2e_wait_text $((cx + 10)) $((cy + 145)) 700 36 'No certificate matches' 10 || e2e_fail "no 'No certificate matches'"

# Escape twice: the field empties, then the list has the keys, so letters no longer filter.
xdotool key Escape Escape
headline '^Certificates: 3$' "Escape did not clear the field"
xdotool type --delay 40 'zz'
sleep 0.5  # that nothing happens: the letters must not reach the field
headline '^Certificates: 3$' "typing after the second Escape still reached the field"
into_field
xdotool type --delay 40 'zz'
headline 'Certificates: 0 of 3' "Ctrl+F did not take the keys into the field"

# The same certificates as a spreadsheet table.
e2e_wine "$E2E_BIN/vessop-scan.exe" --csv --root 'C:\' --root 'E:\' >"$E2E_TMP/list.csv" 2>"$E2E_TMP/scan.err" \
    || e2e_fail "vessop-scan --csv failed: $(cat "$E2E_TMP/scan.err")"
python3 - "$E2E_TMP/list.csv" <<'PY' || e2e_fail "the CSV table is not what the list shows"
import csv, io, sys
data = open(sys.argv[1], "rb").read()
assert data.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
assert b"\r\n" in data and data.count(b"\r\n") >= 4, "rows do not end in CR LF"
rows = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline="")))
header, body = rows[0], rows[1:]
assert header[:3] == ["Holder", "Issued by", "Purpose"] and header[-3:] == ["Location", "Issuer check", "Revocation"], header
assert [r[0] for r in body] == ["한빛물산", "홍길동", "이서준"], [r[0] for r in body]
assert all(len(r) == len(header) for r in body), "a row has the wrong number of cells"
hong = body[1]
assert hong[header.index("Status")] == "D-200", hong
assert hong[header.index("Private key")] == "Yes", hong
assert len(hong[header.index("Location")].split("\n")) == 3, hong  # three copies, one per line inside the cell
PY

# "Export list…", the second item of the settings menu, while "zz" still hides every card.
e2e_choose_from_settings_menu 2
dialog=$(e2e_find_window '^Save' 30) || e2e_fail "no save dialog"
xdotool windowfocus --sync "$dialog" >/dev/null 2>&1
exported="$E2E_TMP/exported.csv"
xdotool key ctrl+a
xdotool type --delay 20 "$(e2e_winpath "$exported")"
xdotool key Return
deadline=$((SECONDS + 20))
until [ -s "$exported" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the export wrote no file"
    sleep 0.2
done
e2e_wait_text $((cx + 10)) $((cy + $(e2e_probe client | cut -d, -f4) - 64)) $((cw - 20)) 38 'Saved: exported.csv' 10 \
    || e2e_fail "no 'Saved: exported.csv' notice"
python3 - "$exported" "$E2E_TMP/list.csv" <<'PY' || e2e_fail "the exported file is not the scan's table"
import csv, io, sys
def table(path):
    data = open(path, "rb").read()
    assert data.startswith(b"\xef\xbb\xbf"), path + ": no byte-order mark"
    return list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline="")))
exported, scanned = table(sys.argv[1]), table(sys.argv[2])
assert len(exported) == 4, "not the whole list: %d rows" % len(exported)
for row, (mine, theirs) in enumerate(zip(exported, scanned)):
    for col, (a, b) in enumerate(zip(mine, theirs)):
        assert a == b, "row %d, column %s: %r, the scan says %r" % (row, scanned[0][col], a, b)
assert len(exported) == len(scanned) and all(len(a) == len(b) for a, b in zip(exported, scanned))
PY
e2e_pass
