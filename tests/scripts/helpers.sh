# Shared by the script tests, which tools/test.sh starts with its build
# folder and 64-bit loader, sharing its lock, display and platform.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$1 REAL_LOADER=$2 LOADER64=$2
RUN_PREFIX=${WINEPREFIX:-$BUILD/wineprefix}
# The scripts run here name their own prefix, or use the build folder's;
# the build's programs run directly go to the calling run's prefix.
unset WINEPREFIX
# Without the run's locks: a platform program started here (the desktop)
# may outlive the test, and would hold them for the next run.
ON_PLATFORM=(env WINEPREFIX="$RUN_PREFIX" bash -c 'exec "$@" 8<&- 9>&-' - "$REAL_LOADER")
source "$ROOT/tools/rules.sh"
source "$ROOT/tools/process.sh"
source "$ROOT/tools/kernel.sh"
source "$ROOT/tools/platform.sh"
step() { :; }
WORK=$(mktemp -d)
# A stopped test stops its run: timeout puts the test in a group of its own.
trap 'stop_child; stop_run; rm -rf "$WORK"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

fail() { echo "$(basename "$0"): $*" >&2; exit 1; }

# runs_here KERNEL ROW: whether a row that needs KERNEL (32: one that runs
# 32-bit programs; 64: one that does not; -: either) runs on this machine.
# A row that cannot is named and counted as skipped, never passed.
runs_here() {
    local why=""
    case $1 in
        32) kernel_runs_32bit || why=$NO_32BIT ;;
        64) ! kernel_runs_32bit || why="the kernel runs 32-bit programs" ;;
    esac
    [ -z "$why" ] || skip_row "$why" "$2"
}

# skip_row REASON ROW: names and counts ROW as skipped, and fails.
skip_row() {
    printf '%s\t%s\n' "$1" "$2" >>"${SCRIPT_SKIPS:-/dev/stderr}"
    return 1
}

# expect_run STATUS SECONDS COMMAND...: STATUS may list choices (0|1); output in $WORK/out, $WORK/err.
expect_run() {
    local want=$1 limit=$2 got=0
    shift 2
    run_child timeout "$limit" "$@" >"$WORK/out" 2>"$WORK/err" || got=$?
    [[ $got =~ ^($want)$ ]] || { cat "$WORK/err" >&2; fail "$* ended with status $got, not $want"; }
}

expect_said() { grep -qF -- "$1" "$WORK/err" || { cat "$WORK/err" >&2; fail "stderr lacks: $1"; }; }

# expect_nothing_left_in PREFIX [SKIP]: nothing runs in PREFIX 5 s on, but
# programs whose path matches SKIP.
expect_nothing_left_in() {
    local p pid
    for p in /proc/[0-9]*; do
        pid=${p#/proc/}
        [[ $pid != "$$" && $(readlink "$p/exe" 2>/dev/null) != ${2:-} ]] || continue
        { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1" || continue
        timeout 5 tail --pid="$pid" -f /dev/null || fail "left running in $1: $(tr '\0' ' ' <"$p/cmdline")"
    done
}

# prefix_copy DIR: a linked copy of the run's prefix, not marked as the scripts'.
prefix_copy() { cp -al "$RUN_PREFIX" "$1" && rm -f "$1/$PREFIX_MARKER"; }

# standin_platform DIR: a platform whose loaders log each call to DIR/calls
# and run the real one, $real. Shell commands in STANDIN_CHECK (but for
# --version), STANDIN_BOOT and STANDIN_32 run in place of the checker,
# wineboot and any 32-bit program. Its 32-bit side answers the checker's
# --version itself, so that it works where the real one cannot run.
standin_platform() {
    local dir=$1 bits
    mkdir -p "$dir"
    for bits in 32 64; do
        cat >"$dir/wine${bits/32/}" <<LOADER
#!/bin/bash
real="$(choose_loader "$(dirname "$REAL_LOADER")" "$bits")"
echo "WINEPREFIX=\$WINEPREFIX WINEDEBUG=\${WINEDEBUG-unset} WINEDLLOVERRIDES=\${WINEDLLOVERRIDES-unset} \$*" >>"$dir/calls"
[ $bits = 64 ] || [ -z "\${STANDIN_32:-}" ] || eval "\$STANDIN_32"
[ $bits = 64 ] || [[ \$1 != *check.exe || "\${2:-}" != --version ]] || { echo "check (the stand-in's 32-bit side)"; exit 0; }
case \$1 in
    *check.exe) [ "\${2:-}" = --version ] || [ -z "\${STANDIN_CHECK:-}" ] || eval "\$STANDIN_CHECK" ;;
    wineboot) [ -z "\${STANDIN_BOOT:-}" ] || eval "\$STANDIN_BOOT" ;;
esac
exec "\$real" "\$@"
LOADER
    done
    chmod +x "$dir/wine" "$dir/wine64"
    ln -s "$(find_wineserver "$REAL_LOADER")" "$dir/wineserver"
    export -n WINESERVER
}

# judged STATUS [EXIT]: shell commands for STANDIN_CHECK: a checker that
# writes a report judging the run with STATUS where --json=FILE says (else
# on standard output), and ends with EXIT (by default STATUS).
judged() {
    printf '%s' 'for a; do case $a in --json=*) f=${a#--json=} ;; esac; done
printf "{\"checker\": \"stand-in\", \"platform\": {\"name\": \"Wine\", \"version\": \"8.0\"}, \"probe\": \"both\", \"status\": '"$1"', \"openFile\": {\"verdict\": \"held\"}, \"chooseFont\": {\"verdict\": \"released\"}}\n" >"${f:-/dev/stdout}"; exit '"${2:-$1}"
}

# start_run COMMAND...: in the background as RUN_PID, output as expect_run's.
start_run() { "$@" >"$WORK/out" 2>"$WORK/err" {TICK_FD}>&- & RUN_PID=$!; }

# A run that a failed test leaves is asked to end (and stop its server), then made to.
stop_run() {
    [ -z "${RUN_PID:-}" ] || { kill -TERM "$RUN_PID" 2>/dev/null || true; timeout 5 tail --pid="$RUN_PID" -f /dev/null || stop_tree "$RUN_PID"; }
    RUN_PID=""
}

# wait_for FILE TEXT SECONDS: until FILE holds TEXT, or fails.
wait_for() {
    timeout "$3" grep -qF -m 1 -- "$2" <(tail -n +1 -F --pid="$RUN_PID" "$1" 2>/dev/null) ||
        { cat "$WORK/err" >&2; fail "no '$2' in $1 within $3 s"; }
}

# expect_interrupted SIGNAL STATUS STEP: soon, with STATUS, saying last
# that STEP was interrupted. A script ends within a second or two; the
# limit leaves room for a loaded machine.
expect_interrupted() {
    local got=0
    kill "-$1" "$RUN_PID"
    timeout 20 tail --pid="$RUN_PID" -f /dev/null || fail "still running 20 s after SIG$1"
    wait "$RUN_PID" || got=$?
    RUN_PID=""
    [ "$got" = "$2" ] || { cat "$WORK/err" >&2; fail "ended with status $got after SIG$1, not $2"; }
    [ "$(tail -n 1 "$WORK/err")" = "interrupted: $3" ] || { cat -A "$WORK/err" >&2; fail "the last line is not interrupted: $3"; }
}
