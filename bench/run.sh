#!/usr/bin/env bash
# How long a verdict takes: the checker on TEST.exe against a bare program
# that opens the same two dialogs and closes them at the same checkpoints.
# Both run alternately on the same warm platform, each as a whole command.
#   bench/run.sh [--64] [RUNS]
set -euo pipefail
source "$(dirname "$0")/../tools/platform.sh"

target=i686
[ "${1:-}" = "--64" ] && { target=x86_64; shift; }
runs=${1:-9}
install_missing
if [ "$target" = i686 ] && ! can_run_32bit; then
    say "note: this kernel cannot run 32-bit programs; measuring the 64-bit build instead"
    target=x86_64
fi
build_target "$target" TEST check baseline
start_platform
loader=$(loader_for "$target")
bin="$BUILD/$target/bin"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

results=$(mktemp -d)
trap 'rm -rf "$results"; stop_all' EXIT
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
