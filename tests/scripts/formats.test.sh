# The checker's report files read by real readers, on stand-ins whose text
# is hostile: prove finds exactly two tests and the probes that failed, the
# JUnit XML parses and its suite's counts are the verdicts of the JSON of
# the same run, jq reads the program's text back as it was, and no raw
# control character reaches the terminal.
source "$(dirname "$0")/helpers.sh"
BIN=$BUILD/x86_64/bin
trap 'rm -rf "$WORK" "$BIN/shows_log.case"' EXIT

# check_run NAME STATUS JUNIT-COUNTS CHECKER-ARGS...: one run, with every
# report file in a folder the checker makes; the counts are the suite's
# tests, failures, errors and skipped, then the elements of each.
check_run() {
    local name=$1 status=$2 want=$3
    shift 3
    expect_run "$status" 60 "${ON_PLATFORM[@]}" "$BIN/check.exe" --json="Z:$WORK/$name/run.json" \
        --tap="Z:$WORK/$name/run.tap" --junit "Z:$WORK/$name/run.xml" "$@"
    if LC_ALL=C grep -q '[[:cntrl:]]' <(tr -d '\n' <"$WORK/out") <(tr -d '\n' <"$WORK/err"); then
        fail "$name: a raw control character on the terminal: $(od -c "$WORK/out" "$WORK/err" | head)"
    fi
    local dir=$WORK/$name tap=0
    jq -e . "$dir/run.json" >/dev/null || fail "$name: jq cannot read the JSON: $(cat "$WORK/out" "$WORK/err")"
    verdicts=$(jq -r '[.openFile.verdict, .chooseFont.verdict, .probe] | join(" ")' "$dir/run.json")

    prove --exec cat "$dir/run.tap" >"$dir/prove" 2>&1 || tap=$?
    grep -q 'Parse errors\|Bailout' "$dir/prove" && fail "$name: prove: $(cat "$dir/prove")"
    grep -q 'Files=1, Tests=2,' "$dir/prove" || fail "$name: not two tests: $(cat "$dir/prove") $(cat "$dir/run.tap")"
    [ $((tap != 0)) = $((status != 0)) ] || fail "$name: prove ended with $tap for status $status"

    xmllint --noout "$dir/run.xml" || fail "$name: the JUnit XML does not parse"
    local counts
    counts=$(junit "$name" 'concat(//testsuite/@tests, " ", //testsuite/@failures, " ", //testsuite/@errors, " ", //testsuite/@skipped, " ", count(//testcase/failure), " ", count(//testcase/error), " ", count(//testcase/skipped))')
    [ "$counts" = "$want" ] || fail "$name: JUnit counts '$counts' for verdicts '$verdicts', not '$want'"
}
junit() { xmllint --xpath "$2" "$WORK/$1/run.xml"; }

# Open held, Font naming a holder with no complaint: one failure, one error.
hostile=$'\e[8mhidden\e]52;c;aGk=\a'
quoted=$'"\\\' ]]> <a> &amp; \xc3\xa9\xef\xbf\xbe\x01\x7f\xc2\x9b'
printf '0\nTesting GetOpenFileName\r\n%s\r\n%s\r\nTAP version 13\r\nBail out! forged\r\nWM_NOTIFY:0001005e - fffffda6 - (2)\r\nCommonFileDialog - mouse capture should have been released now!\r\nTesting ChooseFont\r\nWM_CTLCOLORDLG:0001005e - (0)\r\n' \
    "$hostile" "$quoted" >"$BIN/shows_log.case"
check_run log 2 "2 1 1 0 1 1 0" "$BIN/shows_log.exe"
[ "$verdicts" = "held not_judged both" ] || fail "log: verdicts $verdicts"
grep -q 'Failed tests*: *1-2' "$WORK/log/prove" || fail "log: prove names not both probes: $(cat "$WORK/log/prove")"
grep -qxF '\x1b[8mhidden\x1b]52;c;aGk=\x07' "$WORK/out" && grep -qF '\x01\x7f\x9b' "$WORK/out" ||
    fail "log: the terminal does not show the escapes: $(cat "$WORK/out")"
[ "$(jq -r '.log[1:3] | join("\n")' "$WORK/log/run.json")" = "$hostile"$'\n'"$quoted" ] ||
    fail "log: the JSON does not give the text back: $(cat "$WORK/log/run.json")"
[[ "$(junit log 'string(//system-out)')" == *$'"\\\' ]]> <a> &amp; \xc3\xa9\xef\xbf\xbd\xef\xbf\xbd\x7f\xc2\x9b'*"[5 characters that XML cannot hold replaced by U+FFFD]"* ]] ||
    fail "log: the JUnit output is not the text with U+FFFD: $(cat "$WORK/log/run.xml")"

# A dialog titled with forged TAP lines, closed from outside: Open not
# counted, with the title in its reason; Font never reached.
check_run title 2 "2 0 1 1 0 1 1" --probe font --timeout 15 "$BIN/dialog_stays_open.exe"
grep -q '^ok 1 - .* # SKIP' "$WORK/title/run.tap" || fail "title: Open not skipped: $(cat "$WORK/title/run.tap")"
grep -q 'Failed test: *2' "$WORK/title/prove" || fail "title: prove names not Font: $(cat "$WORK/title/prove")"
grep -qF 'reason: "its dialog \"Open\u000aok 3 - injected\u000aBail out! \u001b[8mhidden' "$WORK/title/run.tap" ||
    fail "title: the reason is not one escaped line: $(cat "$WORK/title/run.tap")"

# The same title on a dialog that Cancel does not close: the run's error
# names it, escaped, on the terminal and in the TAP.
check_run stubborn 2 "2 0 2 0 0 2 0" --timeout 15 "$BIN/stubborn_dialog.exe"
expect_said 'the dialog "Open\x0aok 3 - injected\x0aBail out! \x1b[8mhidden \x1b]0;title\x07"'"'"'\" stayed open even after Cancel; the program was ended'
# Only this run's stand-ins count: they run in its prefix.
for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$RUN_PREFIX" || continue
    if grep -qa 'shows_lo[g]\.exe\|dialog_stays_ope[n]\.exe\|stubborn_dialo[g]\.exe' "$p/cmdline" 2>/dev/null; then
        fail "left running: $(tr '\0' ' ' <"$p/cmdline")"
    fi
done
