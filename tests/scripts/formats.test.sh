# The checker's CI formats, read by real consumers: prove parses its TAP
# and names a failed probe; the JUnit XML parses, with one test case per
# probe and a failure for each one held.
source "$(dirname "$0")/helpers.sh"
expect_run '0|1' 120 "$REAL_LOADER" "$BUILD/x86_64/bin/check.exe" --tap --junit "$WORK/check.xml"
failed=$(grep -c '^not ok' "$WORK/out" || true)
proved=0
prove --exec cat "$WORK/out" >"$WORK/prove" 2>&1 || proved=$?
grep -q 'Parse errors' "$WORK/prove" && fail "prove could not parse the TAP: $(cat "$WORK/prove")"
[ $((proved != 0)) = $((failed != 0)) ] || fail "prove ended with $proved for $failed failed probes"
[ "$failed" = 0 ] || grep -q 'Failed test:' "$WORK/prove" || fail "prove names no failed probe: $(cat "$WORK/prove")"

xmllint --noout "$WORK/check.xml" || fail "the JUnit XML does not parse"
count() { xmllint --xpath "count($1)" "$WORK/check.xml"; }
[ "$(count //testsuite/testcase)" = 2 ] || fail "not one test case per probe: $(cat "$WORK/check.xml")"
[ "$(count //testcase/failure)" = "$failed" ] || fail "a failure per held probe expected: $(cat "$WORK/check.xml")"
[ "$(count //testsuite/system-out)" = 1 ] || fail "the log is not in system-out"
