#!/usr/bin/env bash
# Builds TEST.exe and the checker, runs the check on the platform and prints
# the log and the verdicts.
set -euo pipefail
USAGE="usage: tools/run.sh [OPTIONS] [-- CHECKER-OPTIONS]
Builds TEST.exe and the checker, runs the check on the platform (on a virtual
display unless DISPLAY is set), prints the log and the verdicts and saves a
screenshot of the finished log in BUILD/screenshot.png. Options after -- go to
the checker, for example: tools/run.sh -- --json, or -- --expect-file FILE.
Exit status: the checker's (0 released, 1 held, 2 not judged), or 2 and 3 below.
  --32           run the 32-bit build, and fail with status 3 where the
                 kernel or the platform cannot run it
  --64           run the 64-bit build
                 (with neither, the 32-bit one runs; where the kernel cannot
                 run 32-bit programs at all, the 64-bit one runs, and a line
                 says so)
  --survey       run the capture survey instead of the check; options after
                 -- go to the survey, for example: tools/run.sh --survey -- --json
  --bisect       exit with git bisect run's meanings: 0 released, 1 held, 125
                 for no verdict at this commit (not judged, a build or step
                 that failed, a broken 32-bit side, a time-out), 128 for no
                 verdict at any commit (a usage error, --32 on a kernel
                 without 32-bit programs), 130 or 143 only when interrupted.
                 The checker's expectations (--expect, --expect-file) are
                 dropped; for example:
                 git bisect run tools/run.sh --bisect --quiet -- --probe font"
TARGET=i686
INSIST=""
PROGRAM=check
BISECT=""
TAKES_PASSED=1
own_option() {
    case $1 in
        --32) TARGET=i686 INSIST=1 ;;
        --64) TARGET=x86_64 INSIST=1 ;;
        --survey) PROGRAM=survey ;;
        --bisect) BISECT=1 ;;
        *) return 1 ;;
    esac
    OWN_TAKES=1
}
exit_status() { if [ -n "$BISECT" ]; then bisect_status "$1" "$NEVER_TESTABLE"; else echo "$1"; fi; }
# --bisect anywhere before -- decides what a usage error found earlier on
# the command line means.
for arg in "$@"; do
    case $arg in --) break ;; --bisect) BISECT=1 ;; esac
done
# What the checker is asked must end in a verdict, which the script judges.
check_own_options() {
    local what
    what=$(judges_nothing "${PASSED[@]}")
    [ -z "$what" ] || usage_error "$PROGRAM.exe's $what judges no run; run $BUILD/x86_64/bin/$PROGRAM.exe $what directly"
}
source "$(dirname "$0")/script.sh"

has_checker_option() {
    local arg
    for arg in "${PASSED[@]}"; do
        case $arg in "$1" | "$1"=*) return 0 ;; esac
    done
    return 1
}

# The checker's own limit (60 s unless given, read as the checker reads it),
# with room to end the program.
run_limit() {
    local limit=60 i
    for ((i = 0; i < ${#PASSED[@]}; i++)); do
        case ${PASSED[i]} in
            --timeout) limit=$(seconds_limit "${PASSED[i + 1]:-}" 60) ;;
            --timeout=*) limit=$(seconds_limit "${PASSED[i]#--timeout=}" 60) ;;
        esac
    done
    echo $((limit + 30))
}

checker_args() {
    CHECKER_ARGS=("${PASSED[@]}")
    if [ -n "$BISECT" ]; then
        CHECKER_ARGS=()
        [ ${#PASSED[@]} = 0 ] || mapfile -d '' CHECKER_ARGS < <(without_expectations "${PASSED[@]}")
    fi
    [ "$PROGRAM" = check ] || return 0
    # Bisecting, an unjudged run is no answer, whatever status was asked for.
    [ -z "$BISECT" ] || CHECKER_ARGS+=(--unjudged-status 125)
    has_checker_option --screenshot || CHECKER_ARGS+=(--screenshot "$BUILD/screenshot.png")
    if [ -n "$QUIET" ] && ! has_checker_option --json && ! has_checker_option --tap; then
        CHECKER_ARGS+=(--quiet)
    fi
}

# choose_bits: on a kernel that cannot run 32-bit programs, the 64-bit
# build runs instead and a line says so, unless the 32-bit one was insisted
# on, which can then never be tested here.
choose_bits() {
    [ "$TARGET" = i686 ] && ! kernel_runs_32bit || return 0
    [ -z "$INSIST" ] || never_testable "running the 32-bit build" "$NO_32BIT here; give --64 for the 64-bit build"
    note "$NO_32BIT here; running the 64-bit build instead"
    TARGET=x86_64
}

# A 32-bit side that the kernel runs and that fails is the platform's fault.
check_32bit_side() {
    [ "$TARGET" = i686 ] && ! platform_runs_32bit || return 0
    step_failed "running a 32-bit program" "the platform cannot run the 32-bit build here: $(why_32bit_fails); give --64 for the 64-bit build"
}

# report_args: the JSON report that the verdict is judged from: the one
# asked for, or one of the run's own. A report asked for on standard output
# is kept, and printed once the checker has ended.
REPORT="" REPORT_ON_STDOUT=""
report_args() {
    [ "$PROGRAM" = check ] || return 0
    local choice
    choice=$(json_report_choice "${CHECKER_ARGS[@]}")
    case $choice in
        "file "*) REPORT=${choice#file }; rm -f "$REPORT"; return 0 ;;
        stdout) REPORT_ON_STDOUT=1 ;;
    esac
    step "making the report's file"
    REPORT=$(mktemp "$BUILD/report.XXXXXX") || step_failed "making the report's file" "check that $BUILD can be written"
    on_exit remove_report
    [ -n "$REPORT_ON_STDOUT" ] || CHECKER_ARGS+=("--json=$REPORT")
}
remove_report() { rm -f "$REPORT"; }

# judge_report STATUS: the checker's status stands only with a report that
# judges the run and says the same status.
judge_report() {
    [ "$PROGRAM" = check ] || return 0
    [ -z "$REPORT_ON_STDOUT" ] || cat "$REPORT" || step_failed "printing the report" "check that standard output can be written"
    local fault
    fault=$(report_fault check "$1" "$REPORT")
    [ -z "$fault" ] || step_failed "running the check" "the checker gave no verdict: $fault"
}

programs() { [ "$PROGRAM" = check ] && echo "TEST check" || echo survey; }

install_missing
choose_platform
choose_bits
build_target "$TARGET" $(programs)
start_platform
check_32bit_side

checker_args
report_args
[ "$PROGRAM" != check ] || rm -f "$BUILD/screenshot.png"
limit=$(run_limit)
# The survey's guard bounds each of its modals by itself.
[ "$PROGRAM" = check ] || limit=600
step "running the $PROGRAM"
status=0
command=(timeout --kill-after=5 "$limit" "$(loader_for "$TARGET")" "$BUILD/$TARGET/bin/$PROGRAM.exe" "${CHECKER_ARGS[@]}")
if [ -n "$REPORT_ON_STDOUT" ]; then
    run_stoppable "${command[@]}" >"$REPORT" 8<&- 9>&- || status=$?
else
    run_stoppable "${command[@]}" 8<&- 9>&- || status=$?
fi
case $status in
    124 | 137) step_failed "running the $PROGRAM" "it did not end within $limit s, although its own time limit is shorter; run it again and report this if it repeats" ;;
    126 | 127) step_failed "running the $PROGRAM" "the loader $(loader_for "$TARGET") could not be started; check it with --wine" ;;
esac
judge_report "$status"
[ "$PROGRAM" != check ] || [ ! -f "$BUILD/screenshot.png" ] || progress "screenshot of the finished log: $BUILD/screenshot.png"
finish $status
