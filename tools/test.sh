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
  --scripts NAMES  run only these script tests (comma-separated, such as
                   rules,lock for rules.test.sh and lock.test.sh), and no
                   suite unless ctest's options pick its tests
Exit status: 0 all passed, 1 a test failed, or 2 and 3 below."
TAKES_PASSED=1
JUNIT_DIR=""
SCRIPTS=""
own_option() {
    case $1 in
        --junit-dir) [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$1 needs a value"; JUNIT_DIR=$(realpath -m "$2") ;;
        --scripts) [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$1 needs a value"; SCRIPTS=$2 ;;
        *) return 1 ;;
    esac
    OWN_TAKES=2
}
source "$(dirname "$0")/script.sh"
source "$ROOT/tools/junit.sh"
JUNIT_DIR=${JUNIT_DIR:-$BUILD}

# run_suite TARGET: with --quiet, only ctest's summary and failures show.
# Each test program writes GoogleTest's own results, which become the
# target's JUnit file with every suite named with the target.
run_suite() {
    # ctest runs each program in the tests' folder, and a path from there
    # reaches the platform's programs whatever drives their prefix maps.
    local dir="$BUILD/$1" gtest="$BUILD/$1/gtest" result=0 output="xml:../gtest/"
    local ctest=(ctest --test-dir "$dir" --no-tests=error --output-junit "$dir/ctest.xml" "${PASSED[@]}")
    progress "== $1 suite"
    step "running the $1 suite"
    rm -rf "$gtest" "$dir/ctest.xml"
    mkdir -p "$gtest"
    if [ -n "$QUIET" ]; then
        GTEST_OUTPUT=$output run_stoppable "${ctest[@]}" >"$dir/ctest.log" 2>&1 8<&- 9>&- || result=1
        grep -E 'No tests were found|tests passed|\((Failed|Timeout|Not Run)\)|\*\*\*' "$dir/ctest.log" || true
    else
        GTEST_OUTPUT=$output run_stoppable "${ctest[@]}" --output-on-failure --output-log "$dir/ctest.log" 8<&- 9>&- || result=1
    fi
    write_junit "$1" "$(suite_junit "$1" "$dir/ctest.xml" "$gtest")"
    return $result
}

# write_junit NAME DOCUMENT: JUNIT_DIR/NAME/junit.xml, whole or not at all;
# its counts join the run's.
write_junit() {
    local file="$JUNIT_DIR/$1/junit.xml" passed failed skipped
    step "writing $file"
    mkdir -p "$JUNIT_DIR/$1" && printf '%s\n' "$2" | write_whole "$file" ||
        step_failed "writing $file" "check that $JUNIT_DIR can be written and has room, or give --junit-dir another folder"
    progress "JUnit XML of the $1 tests: $file"
    read -r passed failed skipped < <(junit_counts "$file")
    TOTALS=$(awk -v t="$TOTALS" -v p="$passed" -v f="$failed" -v s="$skipped" 'BEGIN { split(t, a); print a[1] + p, a[2] + f, a[3] + s }')
}
TOTALS="0 0 0"

# Each file in tests/scripts/ is one test; the scripts it runs share this
# run's lock, build folder and platform. A test that cannot run a row on
# this machine names it in SCRIPT_SKIPS, a line each: reason, tab, row.
SCRIPTS_SUMMARY=""
run_script_tests() {
    progress "== script tests"
    local passed=0 failed=0 test name base log skips reason cases=() dir="$BUILD/scripts"
    mkdir -p "$dir"
    # Only this run's tests count their skipped rows.
    rm -f "$dir"/*.skips
    for test in $(chosen_script_tests); do
        name=${test#"$ROOT"/}
        base=$(basename "$test" .test.sh)
        log=$dir/$base.log skips=$dir/$base.skips
        : >"$skips"
        step "running $name"
        if CAPTURE_SCRIPT_TESTS=1 SCRIPT_SKIPS=$skips run_stoppable timeout 900 bash "$test" "$BUILD" "$(loader_for x86_64)" >"$log" 2>&1; then
            passed=$((passed + 1))
            progress "passed: $name"
            cases+=("$(junit_case scripts "$name")")
        else
            failed=$((failed + 1))
            reason=$(script_failure "$base" "$log")
            say "FAILED: $name: $(terminal_text "${reason:0:400}")"
            say "$(tail -n 15 "$log" | sed 's/^/    /' | { read -rd '' all || true; terminal_text "$all"; })"
            cases+=("$(junit_case scripts "$name" failure "$reason" "$(tail -n 40 "$log")")")
        fi
        while IFS=$'\t' read -r reason row; do
            cases+=("$(junit_case "scripts.$base" "$row" skipped "$reason")")
        done <"$skips"
    done
    ROWS_SKIPPED=$(cat "$dir"/*.skips /dev/null | wc -l)
    write_junit scripts "$(junit_suite scripts "${cases[@]}" | junit_document scripts)"
    # The tests configured the targets for their stand-in platform; ctest
    # run by hand afterwards must find this run's platform again.
    for target in i686 x86_64; do
        configured_for_platform "$target" || configure_target "$target"
    done
    local why
    why=$(cut -f1 "$dir"/*.skips /dev/null | sort -u | awk 'NR > 1 { printf "; " } { printf "%s", $0 }')
    SCRIPTS_SUMMARY="scripts: $passed passed, $failed failed${why:+, $ROWS_SKIPPED rows skipped ($why)}"
    [ "$failed" = 0 ]
}

# chosen_script_tests: the files of the script tests this run runs.
chosen_script_tests() {
    local name
    if [ -z "$SCRIPTS" ]; then
        printf '%s\n' "$ROOT"/tests/scripts/*.test.sh
        return 0
    fi
    for name in "${SCRIPT_NAMES[@]}"; do
        echo "$ROOT/tests/scripts/$name.test.sh"
    done
}

# script_failure NAME LOG: the reason a script test gave (its last line
# that starts with its name), or how it ended.
script_failure() {
    local said
    said=$(grep "^$1.test.sh: " "$2" | tail -n 1)
    if [ -n "$said" ]; then
        printf '%s\n' "${said#"$1.test.sh: "}"
    else
        printf 'it stopped without a reason of its own; its last line: %s\n' "$(tail -n 1 "$2")"
    fi
}

if [ -n "$SCRIPTS" ]; then
    IFS=, read -ra SCRIPT_NAMES <<<"$SCRIPTS"
    for name in "${SCRIPT_NAMES[@]}"; do
        [[ $name =~ ^[a-z0-9-]+$ ]] && [ -f "$ROOT/tests/scripts/$name.test.sh" ] ||
            usage_error "--scripts: there is no script test $name; there are $(cd "$ROOT/tests/scripts" && ls -- *.test.sh | sed 's/\.test\.sh$//' | paste -sd, | sed 's/,/, /g')"
    done
fi
BUILD_PACKAGES="$BUILD_PACKAGES $TEST_PACKAGES"
install_missing
choose_platform
for target in i686 x86_64; do build_target "$target"; done
start_platform

status=0
skipped=""
for target in i686 x86_64; do
    # A CI reading the JUnit files must not find an earlier run's.
    rm -f "$JUNIT_DIR/$target/junit.xml"
    # --scripts alone runs no suite; with ctest's options, the suites' tests they pick.
    [ -z "$SCRIPTS" ] || [ ${#PASSED[@]} != 0 ] || continue
    if [ "$target" = i686 ] && ! kernel_runs_32bit; then
        skipped="i686 suite skipped: $NO_32BIT"
        note "$skipped"
        write_junit i686 "$(skipped_junit i686 "$NO_32BIT")"
        continue
    fi
    [ "$target" != i686 ] || platform_runs_32bit ||
        step_failed "running a 32-bit program" "the platform's 32-bit side does not work: $(why_32bit_fails)"
    run_suite "$target" || status=1
done
rm -f "$JUNIT_DIR/scripts/junit.xml"
if [ -n "${CAPTURE_SCRIPT_TESTS:-}" ]; then
    # Started by a script test (the README's commands are run as pasted):
    # the script tests are that run's, and would start this one again.
    note "the script tests are not run again inside one of them"
elif [ ${#PASSED[@]} = 0 ] || [ -n "$SCRIPTS" ]; then
    run_script_tests || status=1
fi
[ -z "$skipped" ] || echo "$skipped"
[ -z "$SCRIPTS_SUMMARY" ] || echo "$SCRIPTS_SUMMARY"
read -r passed failed skipped_count <<<"$TOTALS"
# A test that failed without a readable result still fails the count.
[ "$status" = 0 ] || [ "$failed" != 0 ] || failed=1
echo "all: $passed passed, $failed failed, $skipped_count skipped"
finish $status
