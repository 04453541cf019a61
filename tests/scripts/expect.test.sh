# Known results through the real programs: what prove and JUnit make of an
# expected HELD and of a fix, expectations files and where they fail, and
# both programs on this platform with the shipped expectations.
source "$(dirname "$0")/helpers.sh"
BIN=$BUILD/x86_64/bin
CHECK=("${ON_PLATFORM[@]}" "$BIN/check.exe")
STAND_IN=$BIN/shows_log.exe
trap 'rm -rf "$WORK" "$BIN/shows_log.case"' EXIT

# show_log OPEN: the log the stand-in shows next, with Open's checkpoint
# naming this holder (00000000 for none) and Font released.
show_log() {
    local complaint=
    [ "$1" = 00000000 ] || complaint=$'CommonFileDialog - mouse capture should have been released now!\r\n'
    printf '0\nTesting GetOpenFileName\r\nWM_NOTIFY:%s - fffffda6 - (2)\r\n%sTesting ChooseFont\r\nWM_CTLCOLORDLG:00000000 - (0)\r\n' \
        "$1" "$complaint" >"$BIN/shows_log.case"
}
said() { grep -qF -- "$1" "$WORK/out" || fail "stdout lacks: $1; it is: $(cat "$WORK/out")"; }
proved() {
    prove --exec cat "$WORK/out" >"$WORK/prove" 2>&1 || true
    grep -q "$1" "$WORK/prove" || fail "prove does not say $1: $(cat "$WORK/prove")"
}
json() { jq -r "$1" "$WORK/out"; }

# A held capture that is expected passes: TAP's known failure, which prove
# counts as passing, and a JUnit case without failure.
show_log 0001005e
expect_run 0 60 "${CHECK[@]}" --tap --junit "$WORK/check.xml" --expect open=held,font=released "$STAND_IN"
proved '^Result: PASS'
[ "$(xmllint --xpath 'concat(count(//failure|//error), " ", //testcase[1]/properties/property[@name="expected"]/@value)' "$WORK/check.xml")" = "0 held" ] ||
    fail "an expected HELD is not a pass with its expectation in JUnit: $(cat "$WORK/check.xml")"
# A fix fails until the expectation is updated; prove sees an unexpected pass.
show_log 00000000
expect_run 1 60 "${CHECK[@]}" --tap --expect open=held "$STAND_IN"
proved 'TODO passed: *1'

# Files: what the command line expects takes the place of the file's, and
# a file that does not fit names itself and its line.
printf '* open=released font=released\n' >"$WORK/released.txt"
printf '# known\n8.0* open=held font=released\n* open=held font=maybe\n' >"$WORK/wrong.txt"
printf '1.0* open=held\n' >"$WORK/other.txt"
expect_run 1 60 "${CHECK[@]}" --expect-file "$WORK/released.txt" --expect open=held "$STAND_IN"
said "fix: expected held, got released"
expect_run 2 30 "${CHECK[@]}" --expect-file "$WORK/wrong.txt" "$STAND_IN"
expect_said 'wrong.txt, line 3: "font=maybe": the check'"'"'s verdicts are released, held, not_judged'
expect_run 2 30 "${CHECK[@]}" --json --expect-file "$WORK/other.txt" "$STAND_IN"
[ "$(json .status)" = 2 ] && expect_said "other.txt has no line for the platform's version" ||
    fail "a file without the platform's version is not a usage error: $(cat "$WORK/out")"

# On this platform, the shipped file holds what both programs give; the
# real program is closed as a user would close it.
expect_run 0 120 "${CHECK[@]}" --expect-file "$ROOT/expectations.txt"
said "Open dialog (GetOpenFileName): HELD at the Open dialog's third notification, during its initialisation"
said "TEST.exe ended with exit code 0 after"
SURVEY=("${ON_PLATFORM[@]}" "$BIN/survey.exe" --only browse_folder,popup_menu)
expect_run 0 120 "${SURVEY[@]}" --expect-file "$ROOT/expectations.txt"
expect_run 1 120 "${SURVEY[@]}" --json --expect browse_folder=held,popup_menu=released
[ "$(json '[.kinds[] | .change] | join(" ")')" = "fix regression" ] || fail "the survey's JSON does not tell the changes: $(cat "$WORK/out")"
