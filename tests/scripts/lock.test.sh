# One run at a time per build folder: a second one waits and then goes on,
# or with --no-wait says the folder is busy. The runs here stop at the step
# after the lock (a platform that is not there), so nothing is built.
source "$(dirname "$0")/helpers.sh"
folder="$WORK/build"
mkdir -p "$folder"
flock "$folder" sleep 3 &
holder=$!
sleep 0.5
expect_run 3 10 "$ROOT/tools/run.sh" --build "$folder" --wine "$WORK/none" --no-wait 9>&-
expect_said "error: locking the build folder failed: another run is using $folder"
expect_run 3 20 "$ROOT/tools/run.sh" --build "$folder" --wine "$WORK/none" 9>&-
expect_said "waiting for another run that uses $folder to end"
expect_said "error: finding the platform failed"
wait "$holder"
