# A run that is interrupted or killed takes what it started with it. The
# next run rebuilds a prefix left half-made, and stops at once the
# platform's programs that a killed run left in the scripts' prefix.
source "$(dirname "$0")/helpers.sh"
prefix="$WORK/prefix"
standin_platform "$WORK/platform"
# Interrupted once the platform has filled the prefix, so that it would
# pass for a working one but for the mark.
STANDIN_BOOT='[ "$2" != --init ] || { "$real" wineboot --init; echo "prefix filled" >>"$(dirname "$0")/calls"; exec sleep 60; }' \
    start_run "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$prefix" --wine "$WORK/platform"
wait_for "$WORK/platform/calls" "prefix filled" 180
[ "$(cat "$prefix/$PREFIX_MARKER")" = creating ] || fail "the prefix is not marked as being created"
expect_interrupted TERM 143 "creating the prefix"
expect_nothing_left_in "$prefix"

STANDIN_CHECK='exec sleep 300' start_run "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$prefix" --wine "$WORK/platform"
wait_for "$WORK/platform/calls" check.exe 300
expect_said "note: the scripts' prefix $prefix is half-made (a run that was creating it was interrupted); rebuilding it"
[ "$(cat "$prefix/$PREFIX_MARKER")" = complete ] || fail "the rebuilt prefix is not marked complete"
WINEPREFIX=$prefix unmanaged_windows || fail "the rebuilt prefix lacks unmanaged windows"
kill -KILL "$RUN_PID"
{ wait "$RUN_PID"; } 2>/dev/null || true
RUN_PID=""
# What is not the platform's (the ticker, timeout, the check) ends with it.
expect_nothing_left_in "$prefix" '*/wine*'
STANDIN_CHECK=$(judged 1) expect_run 1 120 "$ROOT/tools/run.sh" --no-wait --64 --build "$BUILD" --prefix "$prefix" --wine "$WORK/platform"
expect_said "of the platform's programs that an earlier, killed run left in $prefix"
expect_nothing_left_in "$prefix"

# The same in a prefix of the user's own: the next run stops what the
# killed run started there, and only that.
prefix_copy "$WORK/theirs"
: >"$WORK/platform/calls"
STANDIN_CHECK='exec sleep 300' start_run "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$WORK/theirs" --wine "$WORK/platform"
wait_for "$WORK/platform/calls" check.exe 300
# None of the platform's programs holds a lock of the run's: one that is
# left behind would hold up the next run.
for pid in $(platform_programs_in "$WORK/theirs"); do
    ! ls -l "/proc/$pid/fd" 2>/dev/null | grep -q "/tmp/capture-scripts-$(id -u)/" ||
        fail "a platform program holds a lock: $(tr '\0' ' ' <"/proc/$pid/cmdline")"
done
kill -KILL "$RUN_PID"
{ wait "$RUN_PID"; } 2>/dev/null || true
RUN_PID=""
STANDIN_CHECK=$(judged 1) expect_run 1 120 "$ROOT/tools/run.sh" --no-wait --64 --build "$BUILD" --prefix "$WORK/theirs" --wine "$WORK/platform"
expect_nothing_left_in "$WORK/theirs"
