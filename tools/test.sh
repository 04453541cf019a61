#!/usr/bin/env bash
# Builds both targets and runs the whole test suite on the platform, then the
# tests of these scripts.
set -euo pipefail
USAGE="usage: tools/test.sh [OPTIONS] [-- CTEST-OPTIONS]
Builds both targets (i686, x86_64), runs each target's suite on the platform,
then the tests of the scripts (tests/scripts/). Each suite's results are also
written as JUnit XML to BUILD/TARGET/junit.xml. Options after -- go to ctest
and pick the suites' tests (for example: -- -R verdict_tests; a selection of
no test fails); the script tests then do not run. The i686 suite is skipped
only where the kernel cannot run 32-bit programs, and the last line says so.
  --junit-dir DIR  write the JUnit XML to DIR/TARGET/junit.xml instead
Exit status: 0 all passed, 1 a test failed, or 2 and 3 below."
TAKES_PASSED=1
JUNIT_DIR=""
own_option() {
    case $1 in
        --junit-dir) [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$1 needs a value"; JUNIT_DIR=$(realpath -m "$2") ;;
        *) return 1 ;;
    esac
    OWN_TAKES=2
}
source "$(dirname "$0")/script.sh"
JUNIT_DIR=${JUNIT_DIR:-$BUILD}

# run_suite TARGET: with --quiet, only ctest's summary and failures show.
run_suite() {
    local dir="$BUILD/$1" junit="$JUNIT_DIR/$1/junit.xml" result=0
    local ctest=(ctest --test-dir "$dir" --no-tests=error --output-junit "$junit" "${PASSED[@]}")
    progress "== $1 suite"
    step "running the $1 suite"
    mkdir -p "$JUNIT_DIR/$1"
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
SCRIPTS_SUMMARY=""
run_script_tests() {
    progress "== script tests"
    local passed=0 failed=0 test name
    for test in "$ROOT"/tests/scripts/*.test.sh; do
        name=${test#"$ROOT"/}
        step "running $name"
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
    SCRIPTS_SUMMARY="scripts: $passed passed, $failed failed"
    [ "$failed" = 0 ]
}

install_missing
choose_platform
for target in i686 x86_64; do build_target "$target"; done
start_platform

status=0
skipped=""
for target in i686 x86_64; do
    # A CI reading the JUnit files must not find an earlier run's.
    rm -f "$JUNIT_DIR/$target/junit.xml"
    if [ "$target" = i686 ] && ! kernel_runs_32bit; then
        skipped="i686 suite skipped: $NO_32BIT"
        note "$skipped"
        continue
    fi
    [ "$target" != i686 ] || platform_runs_32bit ||
        step_failed "running a 32-bit program" "the platform's 32-bit side does not work: $(why_32bit_fails)"
    run_suite "$target" || status=1
done
[ ${#PASSED[@]} -gt 0 ] || run_script_tests || status=1
summary=$SCRIPTS_SUMMARY
[ -z "$skipped" ] || summary="${summary:+$summary; }$skipped"
[ -z "$summary" ] || echo "$summary"
finish $status
