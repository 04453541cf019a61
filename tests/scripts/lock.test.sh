# One run at a time per build folder and per prefix. A second run names the
# run that holds it and waits (or with --no-wait fails at once); a lock
# taken on the folder itself, as any user can, holds nobody.
source "$(dirname "$0")/helpers.sh"
source "$ROOT/tools/lock.sh"
folder="$WORK/build"
mkdir -p "$folder"
# second STATUS SECONDS PREFIX OPTIONS...: a run that stops after the locks.
second() { expect_run "$1" "$2" "$ROOT/tools/run.sh" --build "$folder" --prefix "$3" --wine "$WORK/none" "${@:4}" 8>&- 9>&-; }
exec {hostile}<"$folder"
flock -n "$hostile"
# The holder lets go only when told, however loaded the machine is.
holder="until [ -e $WORK/release ] || [ ! -d $WORK ]; do sleep 0.2; done"
start_run flock "$(lock_file "$folder")" sh -c "echo held; $holder"
holder_pid=$RUN_PID
wait_for "$WORK/out" held 60
second 3 60 "$WORK/p" --no-wait
expect_said "error: locking the build folder failed: another run (process $holder_pid: flock $(lock_file "$folder") sh -c echo held;"
expect_said ") is using $folder"
start_run "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/p" --wine "$WORK/none" 8>&- 9>&-
wait_for "$WORK/err" "waiting for another run (process $holder_pid: flock" 60
touch "$WORK/release"
timeout 60 tail --pid="$RUN_PID" -f /dev/null || fail "the waiting run did not go on once the lock was let go"
RUN_PID=""
expect_said "error: finding the platform failed"

# A run from another build folder waits for the prefix that a run uses.
standin_platform "$WORK/platform"
prefix_copy "$WORK/prefix"
STANDIN_CHECK='exec sleep 300' "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" 2>/dev/null {TICK_FD}>&- &
first=$! RUN_PID=$!
wait_for "$WORK/platform/calls" check.exe 120
second 3 10 "$WORK/prefix" --no-wait
expect_said "error: locking the prefix failed: another run (process $first: bash $ROOT/tools/run.sh --64"
start_run "$ROOT/tools/run.sh" --build "$folder" --prefix "$WORK/prefix" 8>&- 9>&-
wait_for "$WORK/err" "waiting for another run (process $first:" 10
expect_interrupted TERM 143 "waiting for the prefix"
RUN_PID=$first
stop_run
expect_nothing_left_in "$WORK/prefix"

# A run killed outright (kill -9, as a CI's time-out does) in the middle of
# its build takes the build with it: within a few seconds nothing runs in
# its build folder, and the next run takes the folder at once. The build is
# a CMake that never ends by itself, so that only the script's own cleanup
# can end it.
killed="$WORK/killed"
mkdir -p "$WORK/bin"
printf '#!/bin/bash\necho "cmake stands in"\nexec -a %q sleep 300\n' "$killed/cmake" >"$WORK/bin/cmake"
chmod +x "$WORK/bin/cmake"
PATH="$WORK/bin:$PATH" start_run "$ROOT/tools/run.sh" --64 --build "$killed" --prefix "$WORK/prefix" --wine "$WORK/platform" 8>&- 9>&-
wait_for "$WORK/err" "cmake stands in" 300
kill -KILL "$RUN_PID"
RUN_PID=""
in_folder() {
    local p
    for p in /proc/[0-9]*; do
        [[ $(readlink "$p/cwd" 2>/dev/null) == "$killed"* ]] || grep -qaF "$killed" "$p/cmdline" 2>/dev/null || continue
        echo "${p#/proc/}: $(tr '\0' ' ' <"$p/cmdline" 2>/dev/null | cut -c1-100)"
    done
}
for i in $(seq 40); do
    [ -n "$(in_folder)" ] || break
    sleep 0.5
done
[ -z "$(in_folder)" ] || fail "20 s after kill -9, still running in the build folder: $(in_folder | head -n 3)"
expect_run 3 30 "$ROOT/tools/run.sh" --build "$killed" --prefix "$WORK/p" --wine "$WORK/none" --no-wait 8>&- 9>&-
expect_said "error: finding the platform failed"
