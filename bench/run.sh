#!/usr/bin/env bash
# How long a verdict takes: the checker on TEST.exe against a bare program
# that opens the same two dialogs and closes them at the same checkpoints.
# Both run alternately on the same warm platform, each as a whole command.
set -euo pipefail
USAGE="usage: bench/run.sh [OPTIONS] [RUNS]
Times the checker on TEST.exe against a bare program with the same dialogs,
RUNS times each (9 by default), and prints medians.
  --64           measure the 64-bit build (the 32-bit one by default)"
target=i686
runs=9
own_option() {
    case $1 in
        --64) target=x86_64 ;;
        0* | *[!0-9]* | "") return 1 ;;
        *) runs=$1 ;;
    esac
    OWN_TAKES=1
}
source "$(dirname "$0")/../tools/script.sh"

install_missing
choose_platform
build_target "$target" TEST check baseline
start_platform
if [ "$target" = i686 ] && ! can_run_32bit; then
    note "the platform cannot run 32-bit programs here (${CAN_RUN_32BIT#no: }); measuring the 64-bit build instead"
    target=x86_64
    build_target "$target" TEST check baseline
fi
loader=$(loader_for "$target")
bin="$BUILD/$target/bin"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

results=$(mktemp -d)
remove_results() { rm -rf "$results"; }
on_exit remove_results
# One unmeasured run of each warms the platform's caches.
"$loader" "$bin/check.exe" --json >/dev/null 2>&1 || true
"$loader" "$bin/baseline.exe" >/dev/null 2>&1
for i in $(seq "$runs"); do
    start=$(now_ms)
    "$loader" "$bin/check.exe" --json >"$results/check.json" 2>/dev/null || true
    echo $(( $(now_ms) - start )) >>"$results/check"
    grep -o '"seconds": [0-9.]*' "$results/check.json" | awk '{ print $2 * 1000 }' >>"$results/program"
    grep -o '"peakMemoryKiB": [0-9]*' "$results/check.json" | awk '{ print $2 }' >>"$results/memory"
    start=$(now_ms)
    "$loader" "$bin/baseline.exe" >/dev/null 2>&1
    echo $(( $(now_ms) - start )) >>"$results/baseline"
    # The checker's own start and end, with nothing to run: a usage error.
    start=$(now_ms)
    "$loader" "$bin/check.exe" --timeout >/dev/null 2>&1 || true
    echo $(( $(now_ms) - start )) >>"$results/checker-alone"
done

check=$(median <"$results/check")
baseline=$(median <"$results/baseline")
program=$(median <"$results/program")
printf '%s build, %s runs each, medians:\n' "$target" "$runs"
printf '  checker on TEST.exe, start to verdict   %6s ms\n' "$check"
printf '    of which TEST.exe, start to exit      %6s ms\n' "$program"
printf '    checker alone, start to exit          %6s ms\n' "$(median <"$results/checker-alone")"
printf '  bare baseline, start to exit            %6s ms\n' "$baseline"
printf '  ratio checker / baseline                %6s\n' "$(awk -v a="$check" -v b="$baseline" 'BEGIN { printf "%.2f", a / b }')"
printf '  TEST.exe peak memory                    %6s KiB\n' "$(sort -n "$results/memory" | tail -1)"
