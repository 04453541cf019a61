# A run killed outright (kill -9) takes its ticker and the running check
# with it, and holds no lock; the next run stops the platform's programs
# it left in the scripts' prefix and goes on at once.
source "$(dirname "$0")/helpers.sh"
standin_platform "$WORK/platform"
prefix_copy "$WORK/prefix" complete
STANDIN_CHECK='exec sleep 300' start_run "$ROOT/tools/run.sh" --64 --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform"
wait_for "$WORK/platform/calls" check.exe 120
kill -KILL "$RUN_PID"
{ wait "$RUN_PID"; } 2>/dev/null || true
RUN_PID=""
# What is not the platform's (the ticker, timeout, the check) ends with it.
for p in /proc/[0-9]*; do
    case $(readlink "$p/exe") in */wine*) continue ;; esac
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WORK/prefix" || continue
    timeout 5 tail --pid="${p#/proc/}" -f /dev/null ||
        fail "still running after the run was killed: $(tr '\0' ' ' <"$p/cmdline")"
done
STANDIN_CHECK='exit 1' expect_run 1 120 "$ROOT/tools/run.sh" --no-wait --64 --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform"
expect_said "of the platform's programs that an earlier, killed run left in $WORK/prefix"
expect_nothing_left_in "$WORK/prefix"
