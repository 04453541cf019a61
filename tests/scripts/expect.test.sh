# Known results through the real programs: the checker on the stand-in that
# shows a chosen log, once for each status and in each CI format; both
# programs on this platform with the shipped expectations.
source "$(dirname "$0")/helpers.sh"
BIN=$BUILD/x86_64/bin
CHECK=("$REAL_LOADER" "$BIN/check.exe")
STAND_IN=$BIN/shows_log.exe

# What each dialog writes from its checkpoint on, as TEST.exe writes it.
OPEN_HELD=$'WM_NOTIFY:0001005e - fffffda6 - (2)\r\nCommonFileDialog - mouse capture should have been released now!\r\nQuitting dialog\r\n'
OPEN_RELEASED=$'WM_NOTIFY:00000000 - fffffda6 - (2)\r\nQuitting dialog\r\n'
FONT_RELEASED=$'WM_CTLCOLORDLG:00000000 - (0)\r\nQuitting dialog\r\n'

# show_log OPEN FONT: the log the stand-in shows next, one run of TEST.exe.
show_log() {
    printf '0\n%s%s%s%s%s' $'Testing GetOpenFileName\r\nWnd with capture:0001005e\r\nWM_INITDIALOG:0001005e\r\nWM_NOTIFY:0001005e - fffffda7 - (0)\r\nWM_NOTIFY:0001005e - fffffda5 - (1)\r\n' \
        "$1" $'Wnd with capture:00000000\r\nTesting ChooseFont\r\nWnd with capture:0001005e\r\nWM_INITDIALOG:0001005e\r\n' \
        "$2" $'Wnd with capture:00000000\r\n' >"$BIN/shows_log.case"
}
trap 'rm -rf "$WORK" "$BIN/shows_log.case"' EXIT

said() { grep -qF -- "$1" "$WORK/out" || fail "stdout lacks: $1; it is: $(cat "$WORK/out")"; }
junit() { xmllint --xpath "$1" "$WORK/check.xml"; }
json() { jq -r "$1" "$WORK/out"; }

# A held capture that is expected passes, in every format: TAP's known
# failure, which prove counts as passing, and a JUnit case without failure.
show_log "$OPEN_HELD" "$FONT_RELEASED"
expect_run 0 60 "${CHECK[@]}" --tap --junit "$WORK/check.xml" --expect open=held,font=released "$STAND_IN"
said "not ok 1 - Open dialog (GetOpenFileName): held # TODO expected: held"
prove --exec cat "$WORK/out" >"$WORK/prove" 2>&1 || fail "prove fails an expected HELD: $(cat "$WORK/prove")"
grep -q '^Result: PASS' "$WORK/prove" || fail "prove did not pass: $(cat "$WORK/prove")"
[ "$(junit 'count(//failure|//error)')" = 0 ] || fail "an expected HELD failed in JUnit: $(cat "$WORK/check.xml")"
[ "$(junit 'string(//testcase[1]/properties/property[@name="expected"]/@value)')" = held ] ||
    fail "the JUnit case lacks its expectation: $(cat "$WORK/check.xml")"

# A regression fails and names both verdicts.
expect_run 1 60 "${CHECK[@]}" --junit "$WORK/check.xml" --expect open=released "$STAND_IN"
said "regression: expected released, got HELD"
[ "$(junit 'string(//testcase[1]/failure/@type)')/$(junit 'string(//testsuite/@failures)')" = regression/1 ] ||
    fail "not one regression in JUnit: $(cat "$WORK/check.xml")"

# A fix fails too, until the expectation is updated; TAP calls it an
# unexpected pass.
show_log "$OPEN_RELEASED" "$FONT_RELEASED"
expect_run 1 60 "${CHECK[@]}" --expect open=held "$STAND_IN"
said "fix: expected held, got released: the platform now releases the capture here; update the expectation"
expect_run 1 60 "${CHECK[@]}" --json --expect open=held "$STAND_IN"
[ "$(json '[.status, .openFile.expected, .openFile.matches, .openFile.change, .chooseFont.expected, .chooseFont.matches] | map(tostring) | join(" ")')" = "1 held false fix null null" ] ||
    fail "the JSON does not tell the fix: $(cat "$WORK/out")"
expect_run 1 60 "${CHECK[@]}" --tap --expect open=held "$STAND_IN"
said "ok 1 - Open dialog (GetOpenFileName): released # TODO expected: held"
prove --exec cat "$WORK/out" >"$WORK/prove" 2>&1 || true
grep -q 'TODO passed: *1' "$WORK/prove" || fail "prove does not see the unexpected pass: $(cat "$WORK/prove")"

# A probe that cannot be judged gives the unjudged status, unless that is
# what was expected of it.
show_log "$OPEN_RELEASED" ""
expect_run 125 60 "${CHECK[@]}" --unjudged-status 125 --expect open=released,font=released "$STAND_IN"
said "not judged: expected released, but it could not be judged"
expect_run 0 60 "${CHECK[@]}" --unjudged-status 125 --expect open=released,font=not_judged "$STAND_IN"

# Wrong expectations are usage errors that say what to change, even in JSON.
printf '# known\n8.0* open=held font=released\n* open=held font=maybe\n' >"$WORK/wrong.txt"
printf '1.0* open=held\n' >"$WORK/other.txt"
while IFS='|' read -r option message; do
    expect_run 2 30 "${CHECK[@]}" --json $option "$STAND_IN"
    [ "$(json .status)" = 2 ] || fail "$option: no JSON with status 2: $(cat "$WORK/out")"
    expect_said "$message"
done <<EOF
--expect open=HELD|--expect: "open=HELD": the check's verdicts are released, held, not_judged
--expect menu=held|--expect: unknown key "menu"; the check's keys are open, font
--expect-file $WORK/wrong.txt|wrong.txt, line 3: "font=maybe": the check's verdicts are released, held, not_judged
--expect-file $WORK/missing.txt|missing.txt could not be read; check its path
--expect-file $WORK/other.txt|other.txt has no line for the platform's version
EOF

# On this platform, the shipped file holds what it gives; changed, the
# checker names the regression.
expect_run 0 120 "${CHECK[@]}" --expect-file "$ROOT/expectations.txt"
sed 's/open=held/open=released/' "$ROOT/expectations.txt" >"$WORK/changed.txt"
expect_run 1 120 "${CHECK[@]}" --expect-file "$WORK/changed.txt"
said "regression: expected released, got HELD"
# What the command line expects takes the place of the file's.
expect_run 0 120 "${CHECK[@]}" --expect-file "$WORK/changed.txt" --expect open=held

# The survey, with the same rules, on two kinds.
SURVEY=("$REAL_LOADER" "$BIN/survey.exe" --only browse_folder,popup_menu)
expect_run 0 120 "${SURVEY[@]}" --expect-file "$ROOT/expectations.txt"
expect_run 1 120 "${SURVEY[@]}" --json --expect browse_folder=held,popup_menu=released
[ "$(json '[.kinds[] | .change] | join(" ")')" = "fix regression" ] || fail "the survey's JSON does not tell the changes: $(cat "$WORK/out")"
said "expected released, got TAKEN"
expect_run 2 30 "${SURVEY[@]}" --expect popup_menu=grabbed
expect_said 'survey: --expect: "popup_menu=grabbed": the survey'
