#!/usr/bin/env bash
# Builds both targets and runs the whole test suite on the platform, then the
# tests of these scripts.
set -euo pipefail
USAGE="usage: tools/test.sh [OPTIONS] [-- CTEST-OPTIONS]
Builds both targets (i686, x86_64), runs each target's suite on the platform,
then the tests of the scripts (tests/scripts/). Each suite's results are also
written as JUnit XML to BUILD/TARGET/junit.xml. Options after -- go to ctest
and pick the suites' tests (for example: -- -R verdict_tests); the script
tests then do not run.
Exit status: 0 all passed, 1 a test failed, or 2 and 3 below."
TAKES_PASSED=1
source "$(dirname "$0")/script.sh"

# run_suite TARGET: with --quiet, only ctest's summary and failures show.
run_suite() {
    local dir="$BUILD/$1" junit="$BUILD/$1/junit.xml" result=0
    local ctest=(ctest --test-dir "$dir" --no-tests=error --output-junit "$junit" "${PASSED[@]}")
    progress "== $1 suite"
    if [ -n "$QUIET" ]; then
        run_stoppable "${ctest[@]}" >"$dir/ctest.log" 2>&1 8<&- 9>&- || result=1
        grep -E 'No tests were found|tests passed|\((Failed|Timeout|Not Run)\)|\*\*\*' "$dir/ctest.log" || true
    else
        run_stoppable "${ctest[@]}" --output-on-failure 8<&- 9>&- || result=1
    fi
    progress "JUnit XML of the $1 suite: $junit"
    return $result
}

# Each file in tests/scripts/ is one test; the scripts it runs share this
# run's lock, build folder and platform.
run_script_tests() {
    progress "== script tests"
    local passed=0 failed=0 test name
    for test in "$ROOT"/tests/scripts/*.test.sh; do
        name=${test#"$ROOT"/}
        if run_stoppable timeout 900 bash "$test" "$BUILD" "$(loader_for x86_64)"; then
            passed=$((passed + 1))
            progress "passed: $name"
        else
            failed=$((failed + 1))
            say "FAILED: $name"
        fi
    done
    # The tests configured the targets for their stand-in platform; ctest
    # run by hand afterwards must find this run's platform again.
    for target in i686 x86_64; do
        configured_for_platform "$target" || configure_target "$target"
    done
    echo "scripts: $passed passed, $failed failed"
    [ "$failed" = 0 ]
}

install_missing
choose_platform
for target in i686 x86_64; do build_target "$target"; done
start_platform

status=0
for target in i686 x86_64; do
    # A CI reading the JUnit files must not find an earlier run's.
    rm -f "$BUILD/$target/junit.xml"
    if [ "$target" = i686 ] && ! can_run_32bit; then
        note "i686 suite skipped: the platform cannot run 32-bit programs here (${CAN_RUN_32BIT#no: })"
        continue
    fi
    run_suite "$target" || status=1
done
[ ${#PASSED[@]} -gt 0 ] || run_script_tests || status=1
exit $status
