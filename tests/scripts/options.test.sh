# Every script answers --help and refuses what it does not know, and a
# display that does not answer, before it builds or starts anything.
source "$(dirname "$0")/helpers.sh"
for script in tools/run.sh tools/test.sh bench/run.sh tools/matrix.sh; do
    expect_run 0 10 "$ROOT/$script" --help
    grep -q "^usage: $script" "$WORK/out" || fail "$script --help prints no usage"
    expect_run 2 10 "$ROOT/$script" --frobnicate
    [ "$(head -n 1 "$WORK/err")" = "$script: unknown argument: --frobnicate" ] || fail "$script: $(head -n 1 "$WORK/err")"
    expect_said "usage: $script"
done
expect_run 2 10 "$ROOT/tools/run.sh" --prefix=
expect_said "tools/run.sh: --prefix needs a value"
# A script's own check of its command line stops at a command that fails,
# as the rest of the script would.
printf '%s\n' 'set -euo pipefail' 'USAGE="usage: own"' 'check_own_options() { false; echo "went on"; }' \
    "source $(printf %q "$ROOT/tools/script.sh")" >"$WORK/own.sh"
expect_run 3 10 bash "$WORK/own.sh" --build "$BUILD" --no-wait
! grep -q "went on" "$WORK/out" || fail "a check of the command line went on after a command failed"
number=399
while [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
DISPLAY=":$number" expect_run 3 120 "$ROOT/tools/run.sh" --build "$BUILD" --64
expect_said "error: checking the display failed: the display :$number does not answer"
