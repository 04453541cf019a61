#!/usr/bin/env bash
# How long a verdict takes: the checker on TEST.exe against a bare program
# that opens the same two dialogs and closes them at the same checkpoints,
# and TEST.exe alone, closed by a process that was already running. Every
# round runs each command once, as a whole command on the same warm
# platform, in a new random order, so that no command always follows the
# same one (a program starts slower right after a GUI program has ended).
set -euo pipefail
USAGE="usage: bench/run.sh [OPTIONS] [RUNS]
Times the checker on TEST.exe, TEST.exe alone and a bare program with the same
dialogs, RUNS rounds (9 by default), and prints the median and quartiles of
each row.
  --64           measure the 64-bit build (the 32-bit one by default)
  --both         measure both builds, one table each"
targets=i686
runs=9
own_option() {
    case $1 in
        --64) targets=x86_64 ;;
        --both) targets="i686 x86_64" ;;
        0* | *[!0-9]* | "") return 1 ;;
        *) runs=$1 ;;
    esac
    OWN_TAKES=1
}
source "$(dirname "$0")/../tools/script.sh"
source "$ROOT/bench/stats.sh"

install_missing
choose_platform
if [[ " $targets " == *" i686 "* ]] && ! kernel_runs_32bit; then
    note "$NO_32BIT here; measuring the 64-bit build only"
    targets=x86_64
fi
for target in $targets; do build_target "$target" TEST check baseline closer; done
start_platform
if [[ " $targets " == *" i686 "* ]] && ! platform_runs_32bit; then
    step_failed "running a 32-bit program" "the platform's 32-bit side does not work: $(why_32bit_fails); give --64 to measure the 64-bit build"
fi

step "making a folder for the results"
results=$(mktemp -d)
remove_results() { rm -rf "$results"; }
on_exit remove_results

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# timed ROW COMMAND...: runs COMMAND, adds its time in ms to the row. The
# same time limit on every row ends a program that nothing closed.
timed() {
    local row=$1 start
    shift
    start=$(now_ms)
    run_child timeout -k 5 90 "$@" 8<&- 9>&- || true
    echo $(($(now_ms) - start)) >>"$results/$row"
}

run_checker() {
    timed checker "$loader" "$bin/check.exe" --json >"$results/check.json" 2>/dev/null
    grep -o '"seconds": *[0-9.]*' "$results/check.json" | awk -F: '{ print $2 * 1000 }' >>"$results/program"
    grep -o '"peakMemoryKiB": *[0-9]*' "$results/check.json" | awk -F: '{ print $2 + 0 }' >>"$results/memory"
}

run_baseline() { timed baseline "$loader" "$bin/baseline.exe" >/dev/null 2>&1; }

# The checker's own start and end, with nothing to run.
run_checker_alone() { timed checker-alone "$loader" "$bin/check.exe" --help >/dev/null 2>&1; }

# The closer looks for the window only once it has read a line.
run_alone() {
    local answer
    echo go >&"${CLOSER[1]}"
    timed alone "$loader" "$bin/TEST.exe" >/dev/null 2>&1
    read -r -t 30 answer <&"${CLOSER[0]}" || answer="nothing"
    answer=${answer%$'\r'}
    [ "$answer" = closed ] ||
        step_failed "closing TEST.exe from a second process" "the closer answered '$answer'; run bench/run.sh again, and report it if it repeats"
}

start_closer() {
    coproc CLOSER { "$loader" "$bin/closer.exe" 30 2>/dev/null 8<&- 9>&-; }
    on_exit stop_closer
}

# The end of its input ends the closer.
stop_closer() {
    [ -n "${CLOSER_PID:-}" ] || return 0
    local input=${CLOSER[1]:-}
    [ -z "$input" ] || eval "exec $input>&-"
    wait "$CLOSER_PID" 2>/dev/null
    CLOSER_PID=""
}

row() { printf '  %-46s %s\n' "$1" "$2"; }

bench_target() {
    local target=$1 round kind
    step "measuring the $target build"
    loader=$(loader_for "$target")
    bin="$BUILD/$target/bin"
    rm -f "$results"/*
    start_closer
    # One unmeasured round warms the platform's caches.
    for kind in checker baseline alone checker_alone; do "run_$kind"; done
    rm -f "$results"/*
    for round in $(seq "$runs"); do
        for kind in $(shuf -e checker baseline alone checker_alone); do "run_$kind"; done
        awk -v a="$(tail -n 1 "$results/checker")" -v b="$(tail -n 1 "$results/baseline")" \
            'BEGIN { print a / b }' >>"$results/ratio"
    done
    stop_closer
    printf '%s build, %s rounds, each in a random order; median [quartiles]:\n' "$target" "$runs"
    row "checker on TEST.exe, start to verdict" "$(spread "$results/checker") ms"
    row "  of which TEST.exe, start to exit" "$(spread "$results/program") ms"
    row "TEST.exe alone, closed by a running process" "$(spread "$results/alone") ms"
    row "checker alone, start to exit" "$(spread "$results/checker-alone") ms"
    row "bare baseline, start to exit" "$(spread "$results/baseline") ms"
    row "ratio checker / baseline, of each round" "$(spread "$results/ratio" 2)"
    row "TEST.exe peak memory, largest" "$(sort -n "$results/memory" | tail -n 1) KiB"
}

for target in $targets; do bench_target "$target"; done
finish 0
