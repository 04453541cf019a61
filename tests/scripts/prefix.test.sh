# A prefix whose creation is interrupted is known as half-made: the
# interrupt ends the run at once, with nothing left running, and the next
# run rebuilds the prefix instead of taking it for a working one.
source "$(dirname "$0")/helpers.sh"
prefix="$WORK/prefix"
standin_platform "$WORK/platform"
# Interrupted once the platform has filled the prefix, so that it would
# pass for a working one but for the mark.
STANDIN_BOOT='[ "$2" != --init ] || { "$real" wineboot --init; echo "prefix filled" >>"$(dirname "$0")/calls"; exec sleep 60; }' \
    start_run "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$prefix" --wine "$WORK/platform"
wait_for "$WORK/platform/calls" "prefix filled" 180
[ "$(cat "$prefix/.made-by-capture-scripts")" = creating ] || fail "the prefix is not marked as being created"
expect_interrupted TERM 143 "creating the prefix"
expect_nothing_left_in "$prefix"

STANDIN_CHECK='exit 0' expect_run 0 300 "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$prefix" --wine "$WORK/platform"
expect_said "note: the scripts' prefix $prefix is half-made (a run that was creating it was interrupted); rebuilding it"
[ "$(cat "$prefix/.made-by-capture-scripts")" = complete ] || fail "the rebuilt prefix is not marked complete"
WINEPREFIX=$prefix unmanaged_windows || fail "the rebuilt prefix lacks unmanaged windows"
expect_nothing_left_in "$prefix"
