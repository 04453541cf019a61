# A prefix whose creation is interrupted is known as half-made: the
# interrupt ends the run at once, with nothing left running, and the next
# run rebuilds the prefix instead of taking it for a working one.
source "$(dirname "$0")/helpers.sh"
prefix="$WORK/prefix"
start_run "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$prefix"
# Well into wineboot --init (about 15 s), as a user who gives up on it.
wait_for "$WORK/err" "... creating the prefix: still running after 10 s" 120
[ "$(cat "$prefix/.made-by-capture-scripts")" = creating ] || fail "the prefix is not marked as being created"
expect_interrupted TERM 143 "creating the prefix"
expect_nothing_left_in "$prefix"

standin_platform "$WORK/platform"
STANDIN_CHECK='exit 0' expect_run 0 300 "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$prefix" --wine "$WORK/platform"
expect_said "note: the scripts' prefix $prefix is half-made (a run that was creating it was interrupted); rebuilding it"
[ "$(cat "$prefix/.made-by-capture-scripts")" = complete ] || fail "the rebuilt prefix is not marked complete"
WINEPREFIX=$prefix unmanaged_windows || fail "the rebuilt prefix lacks unmanaged windows"
expect_nothing_left_in "$prefix"
