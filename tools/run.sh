#!/usr/bin/env bash
# Builds TEST.exe and the checker, runs the check on the platform and prints
# the log and the verdicts.
set -euo pipefail
USAGE="usage: tools/run.sh [OPTIONS] [-- CHECKER-OPTIONS]
Builds TEST.exe and the checker, runs the check on the platform (on a virtual
display unless DISPLAY is set), prints the log and the verdicts and saves a
screenshot of the finished log in BUILD/screenshot.png. Options after -- go to
the checker, for example: tools/run.sh -- --json
Exit status: the checker's (0 released, 1 held, 2 not judged), or 2 and 3 below.
  --64           run the 64-bit build (the 32-bit one runs by default; where
                 the platform cannot run 32-bit programs, the 64-bit one runs)
  --survey       run the capture survey instead of the check; options after
                 -- go to the survey, for example: tools/run.sh --survey -- --json"
TARGET=i686
PROGRAM=check
TAKES_PASSED=1
own_option() {
    case $1 in
        --64) TARGET=x86_64 ;;
        --survey) PROGRAM=survey ;;
        *) return 1 ;;
    esac
    OWN_TAKES=1
}
source "$(dirname "$0")/script.sh"

has_checker_option() {
    local arg
    for arg in "${PASSED[@]}"; do
        case $arg in "$1" | "$1"=*) return 0 ;; esac
    done
    return 1
}

# The checker's own limit (60 s unless given), with room to end the program.
run_limit() {
    local limit=60 i
    for ((i = 0; i < ${#PASSED[@]}; i++)); do
        case ${PASSED[i]} in
            --timeout) limit=${PASSED[i + 1]:-60} ;;
            --timeout=*) limit=${PASSED[i]#--timeout=} ;;
        esac
    done
    [[ $limit =~ ^[0-9]+(\.[0-9]+)?$ ]] || limit=60
    echo $((${limit%.*} + 30))
}

checker_args() {
    CHECKER_ARGS=("${PASSED[@]}")
    [ "$PROGRAM" = check ] || return 0
    has_checker_option --screenshot || CHECKER_ARGS+=(--screenshot "$BUILD/screenshot.png")
    if [ -n "$QUIET" ] && ! has_checker_option --json && ! has_checker_option --tap; then
        CHECKER_ARGS+=(--quiet)
    fi
}

install_missing
choose_platform
programs() { [ "$PROGRAM" = check ] && echo "TEST check" || echo survey; }
build_target "$TARGET" $(programs)
start_platform
if [ "$TARGET" = i686 ] && ! can_run_32bit; then
    note "the platform cannot run 32-bit programs here (${CAN_RUN_32BIT#no: }); running the 64-bit build instead"
    TARGET=x86_64
    build_target "$TARGET" $(programs)
fi

checker_args
[ "$PROGRAM" != check ] || rm -f "$BUILD/screenshot.png"
limit=$(run_limit)
# The survey's guard bounds each of its modals by itself.
[ "$PROGRAM" = check ] || limit=600
status=0
run_stoppable timeout --kill-after=5 "$limit" "$(loader_for "$TARGET")" "$BUILD/$TARGET/bin/$PROGRAM.exe" "${CHECKER_ARGS[@]}" 8<&- 9>&- || status=$?
case $status in
    124 | 137) step_failed "running the $PROGRAM" "it did not end within $limit s, although its own time limit is shorter; run it again and report this if it repeats" ;;
    126 | 127) step_failed "running the $PROGRAM" "the loader $(loader_for "$TARGET") could not be started; check it with --wine" ;;
esac
[ ! -f "$BUILD/screenshot.png" ] || progress "screenshot of the finished log: $BUILD/screenshot.png"
exit $status
