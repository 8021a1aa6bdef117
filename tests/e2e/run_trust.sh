#!/usr/bin/env bash
# The issuer check end to end, on one certificate of each outcome (licensed, test, unknown issuer,
# damaged) signed by the fixture writer's own CAs, which this test build trusts through
# VESSOP_TEST_ROOTS: vessop-scan's JSON says `trust` for each; in English and in Korean the cards carry
# the badges (the warning colour, the danger colour for the damaged one, nothing on the licensed card),
# the summary counts them, and the damaged certificate's "Issuer check" row copies its verdict.
# Usage: run_trust.sh VESSOP_EXE
. "$(dirname "$0")/lib.sh"
e2e_init "$1"

tree="$E2E_TMP/tree"
mkdir -p "$tree"
wtree=$(e2e_winpath "$tree")
e2e_helper e2e_make_fixture trust "$wtree" >/dev/null || e2e_fail "fixture not written"

# --- vessop-scan ----------------------------------------------------------------------------------
e2e_helper vessop-scan --root "$wtree" >"$E2E_TMP/scan.json" || e2e_fail "vessop-scan failed"
verdicts=$(python3 -c '
import json, sys
print(" ".join(e["holder_name"] + "=" + e["trust"] for e in json.load(open(sys.argv[1]))["entries"]))' "$E2E_TMP/scan.json") \
    || e2e_fail "vessop-scan's JSON: $(head -c 300 "$E2E_TMP/scan.json")"
[ "$verdicts" = "정상=Licensed 시험=Test 외부=UnknownIssuer 손상=Damaged" ] || e2e_fail "verdicts: $verdicts"

# --- The window -------------------------------------------------------------------------------------
# The cards in list order (by end date): licensed, test, unknown issuer, damaged.
ocr_kor() # FILE X Y WIDTH HEIGHT
{
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -resize 300% "$E2E_TMP/ocr.png" 2>/dev/null
    tesseract "$E2E_TMP/ocr.png" - --psm 7 -l kor 2>/dev/null | tr -d ' '
}

# Whether a region of a new screenshot reads as the Korean regular expression (spaces dropped).
korean_reads() # REGEX X Y WIDTH HEIGHT
{
    e2e_shot "$E2E_TMP/korean.png"
    local text
    text=$(ocr_kor "$E2E_TMP/korean.png" "$2" "$3" "$4" "$5")
    printf '%s' "$text" | grep -Eq "$1" && return 0
    e2e_log "read: $text"
    return 1
}

check_window() # LANGUAGE SUMMARY_REGEX TEST_REGEX UNKNOWN_REGEX DAMAGED_REGEX ROW_VALUE
{
    local language=$1
    e2e_start --root "$wtree"
    e2e_wait_window
    e2e_card_column
    read -r cx cy <<<"$(e2e_client_origin)"
    IFS=, read -r _ _ cw ch <<<"$(e2e_probe client)"
    local left=$((cx + x0)) right=$((cx + x0 + content))
    local summary=("$((cx + 10))" "$((cy + 52 + 56))" "$((cw - 20))" 40)  # the line under the headline
    if [ "$language" = en ]; then
        e2e_wait_text "${summary[@]}" "$2" 20 || e2e_fail "$language: the summary does not count the verdicts"
    else
        e2e_until "the Korean summary to count the verdicts" 20 korean_reads "$2" "${summary[@]}"
    fi
    e2e_shot "$E2E_TMP/cards-$language.png"
    local shot=$E2E_TMP/cards-$language.png

    # Each card's title row, from the title to well before the pill: the badge is the only thing there in
    # the warning or danger colour.
    local k top text
    local expected=("" "$3" "$4" "$5")
    for k in 0 1 2 3; do
        top=$((cy + 152 + 106 * k))
        local line=("$((left + 72))" "$((top + 12))" "$((content - 72 - 110))" 26)
        if [ "$language" = en ]; then
            text=$(e2e_ocr "$shot" "${line[@]}" | tr '\n' ' ')
        else
            text=$(ocr_kor "$shot" "${line[@]}")
        fi
        e2e_log "$language: card $k reads: $text"
        if [ -n "${expected[k]}" ]; then
            printf '%s' "$text" | grep -Eq "${expected[k]}" || e2e_fail "$language: card $k has no badge ${expected[k]}: $text"
        fi
        local warning=1 danger=1
        e2e_region_has_colour "$shot" "${line[@]}" 234,88,12 || warning=0
        e2e_region_has_colour "$shot" "${line[@]}" 220,38,38 || danger=0
        case $k in
            0) [ "$warning$danger" = 00 ] || e2e_fail "$language: the licensed card has a coloured badge" ;;
            1 | 2) [ "$warning" = 1 ] || e2e_fail "$language: card $k's badge is not in the warning colour" ;;
            3) [ "$danger" = 1 ] || e2e_fail "$language: the damaged card's badge is not in the danger colour" ;;
        esac
    done

    # The damaged card's pane: its fifth row is "Issuer check"; a click copies the verdict.
    xdotool mousemove $((left + content / 2)) $((cy + 152 + 106 * 3 + 40)) click 1
    e2e_wait_pixel $((cx + 5)) $((cy + 120)) 150,151,153 10 || e2e_fail "$language: no pane"
    local pw=$((cw - 40 < 780 ? cw - 40 : 780)) ph=$((32 * 16 + 64 + 60))
    [ "$ph" -le $((ch - 40)) ] || ph=$((ch - 40))
    local px=$(((cw - pw + 1) / 2)) py=$(((ch - ph + 1) / 2))
    [ "$py" -ge 20 ] || py=20
    local row_y=$((cy + py + 64 + 32 * 4))
    if [ "$language" = en ]; then
        e2e_wait_text $((cx + px + 12)) "$row_y" $((pw - 24)) 32 'Issuer check.*Damaged: its signature does not verify' 10 \
            || e2e_fail "en: the pane's Issuer check row"
    fi
    xdotool mousemove $((cx + px + 300)) $((row_y + 16)) click 1
    e2e_until "$language: the verdict on the clipboard" 10 e2e_clipboard_is "$6"
    e2e_helper e2e_window_probe close >/dev/null
    e2e_wait_exit 15 || e2e_fail "$language: Vessop did not end"
}

check_window en '1 damaged.*1 for testing only.*1 from an unknown issuer' 'Test certificate' 'Unknown issuer' 'Damaged' \
    'Damaged: its signature does not verify'
e2e_reg_add 'HKCU\Software\Vessop' Language REG_SZ ko
check_window ko '손상1.*시험용1.*발급자불명1' '시험용' '발급자불명' '손상됨' '손상됨: 서명이 맞지 않습니다'
e2e_pass
