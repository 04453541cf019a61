#!/usr/bin/env bash
# What the survey's timeline costs: the whole survey with and without
# --timeline, each round in a new random order on the same warm platform.
set -euo pipefail
USAGE="usage: bench/timeline.sh [OPTIONS] [RUNS]
Times the 64-bit survey over every kind, without and with --timeline (and
with --timeline-svg), RUNS rounds (9 by default), and prints the median and
quartiles of each row and of each round's ratio."
runs=9
own_option() {
    case $1 in
        0* | *[!0-9]* | "") return 1 ;;
        *) runs=$1 ;;
    esac
    OWN_TAKES=1
}
source "$(dirname "$0")/../tools/script.sh"
source "$ROOT/bench/stats.sh"

install_missing
choose_platform
build_target x86_64 survey
start_platform

step "making a folder for the results"
results=$(mktemp -d)
remove_results() { rm -rf "$results"; }
on_exit remove_results

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# timed ROW COMMAND...: runs COMMAND, adds its time in ms to the row; a
# survey that fails spoils the measure, so it stops the bench.
timed() {
    local row=$1 start status=0
    shift
    start=$(now_ms)
    run_child timeout -k 5 120 "$@" >"$results/out" 2>"$results/err" 8<&- 9>&- || status=$?
    echo $(($(now_ms) - start)) >>"$results/$row"
    [ "$status" = 0 ] || [ "$status" = 1 ] ||
        step_failed "timing the survey ($row)" "it ended with status $status: $(tail -n 3 "$results/err")"
}

run_plain() { timed plain "$loader" "$bin/survey.exe" --json; }
run_timeline() { timed timeline "$loader" "$bin/survey.exe" --json --timeline; }
run_svg() { timed svg "$loader" "$bin/survey.exe" --json --timeline-svg "Z:$results/timeline.svg"; }

row() { printf '  %-46s %s\n' "$1" "$2"; }

step "measuring the survey"
loader=$(loader_for x86_64)
bin="$BUILD/x86_64/bin"
# One unmeasured round warms the platform's caches.
for kind in plain timeline svg; do "run_$kind"; done
rm -f "$results"/plain "$results"/timeline "$results"/svg
for round in $(seq "$runs"); do
    for kind in $(shuf -e plain timeline svg); do "run_$kind"; done
    awk -v a="$(tail -n 1 "$results/timeline")" -v b="$(tail -n 1 "$results/plain")" \
        'BEGIN { print a / b }' >>"$results/ratio"
done
printf 'x86_64 survey, every kind, %s rounds, each in a random order; median [quartiles]:\n' "$runs"
row "survey --json" "$(spread "$results/plain") ms"
row "survey --json --timeline" "$(spread "$results/timeline") ms"
row "survey --json --timeline-svg FILE" "$(spread "$results/svg") ms"
row "ratio timeline / plain, of each round" "$(spread "$results/ratio" 2)"
finish 0
