# One run at a time per build folder and per prefix. A second run names the
# run that holds it and waits (or with --no-wait fails at once); a lock
# taken on the folder itself, as any user can, holds nobody.
source "$(dirname "$0")/helpers.sh"
source "$ROOT/tools/lock.sh"
folder="$WORK/build"
mkdir -p "$folder"
exec {hostile}<"$folder"
flock -n "$hostile"
expect_run 3 10 "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/p" --wine "$WORK/none" --no-wait 8>&- 9>&-
expect_said "error: finding the platform failed"
exec {hostile}<&-

# The runs here stop at the step after the locks (a platform that is not
# there), so nothing is built.
start_run flock "$(lock_file "$folder")" sh -c 'echo held; exec sleep 3'
holder=$RUN_PID
wait_for "$WORK/out" held 10
expect_run 3 10 "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/p" --wine "$WORK/none" --no-wait 8>&- 9>&-
expect_said "error: locking the build folder failed: another run (process $holder: flock $(lock_file "$folder") sh -c echo held; exec sleep 3) is using $folder"
expect_run 3 20 "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/p" --wine "$WORK/none" 8>&- 9>&-
expect_said "waiting for another run (process $holder: flock"
expect_said "error: finding the platform failed"

# A run from another build folder waits for the prefix that a run uses.
standin_platform "$WORK/platform"
prefix_copy "$WORK/prefix"
STANDIN_CHECK='exec sleep 300' "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" 2>"$WORK/first.err" {TICK_FD}>&- &
first=$! RUN_PID=$!
wait_for "$WORK/platform/calls" check.exe 120
expect_run 3 10 "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/prefix" --no-wait 8>&- 9>&-
expect_said "error: locking the prefix failed: another run (process $first: bash $ROOT/tools/run.sh --64"
start_run "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/prefix" 8>&- 9>&-
wait_for "$WORK/err" "waiting for another run (process $first:" 10
expect_interrupted TERM 143 "waiting for the prefix"
RUN_PID=$first
stop_run
grep -qx "interrupted: running the check" "$WORK/first.err" || fail "the first run did not end as interrupted: $(cat "$WORK/first.err")"
expect_nothing_left_in "$WORK/prefix"
