# What every script here shares: its messages, its command line, its
# statuses, the locks on its build folder and prefix, and the cleanup when
# it exits. A script sets USAGE (and may define own_option) before it
# sources this file.
#
# Exit statuses: 2 for a usage error, 3 for a step of the script that
# failed, 130 and 143 for an interrupt. The checker's verdicts use 0, 1 and
# 2, never 3.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SCRIPT=$(realpath -s --relative-to="$ROOT" "$0")
source "$ROOT/tools/rules.sh"
source "$ROOT/tools/process.sh"
source "$ROOT/tools/lock.sh"
source "$ROOT/tools/packages.sh"
source "$ROOT/tools/targets.sh"
source "$ROOT/tools/kernel.sh"
source "$ROOT/tools/platform.sh"

COMMON_USAGE="
Options every script takes:
  --wine PATH    the platform: a loader (an installed wine, or the loader script
                 at the top of a build tree) or a folder that holds one.
                 Default: \$WINE, else Debian's wine package. \$WINESERVER is
                 honoured; otherwise the server beside the loader is used.
  --prefix DIR   the platform's prefix. Default: \$WINEPREFIX, else the scripts'
                 own in BUILD/wineprefix. Created and set up only when missing;
                 an existing one is never changed.
  --build DIR    the build folder (default: build/ in the clone); an existing
                 one must belong to the user who runs the script. One run at a
                 time uses a build folder or a prefix; another waits its turn,
                 at most 30 minutes.
  --no-wait      fail at once when another run uses the build folder or
                 the prefix
  --quiet        print only the results, notes and errors
  -h, --help     print this help and exit
  --opt=VALUE works as well as --opt VALUE.
The platform's settings WINEDEBUG and WINEDLLOVERRIDES are passed on as they
are; only where they are unset do the scripts set their own (-all, and no
mono nor gecko). WINEARCH must be unset or win64.
Exit status 2: a usage error. Exit status 3: a step failed; the line
'error: <step> failed: <what to do>' on standard error says which. Exit
status 130 or 143: interrupted, with the line 'interrupted: <step>'."

QUIET=""
NO_WAIT=""
WINE_CHOICE=${WINE:-}
PREFIX_CHOICE=${WINEPREFIX:-}
BUILD="$ROOT/build"
PASSED=()

say() { printf '%s\n' "$*" >&2; }
progress() { [ -n "$QUIET" ] || say "$*"; }
note() { say "note: $*"; }

# The step the script is in, named in its error and interrupt lines.
STEP="starting"
step() { STEP=$1; }

# finish STATUS: every planned exit goes through here; any other exit is a
# fault of the script, turned into status 3 by the exit trap.
FINISHING=""
finish() {
    FINISHING=1
    exit "$1"
}

# step_failed STEP WHAT-TO-DO
step_failed() {
    say "error: $1 failed: $2"
    finish 3
}

# never_testable STEP WHAT-TO-DO: a step that fails the same way at every
# commit, whatever the code (git bisect run must stop, not skip).
NEVER_TESTABLE=""
never_testable() {
    NEVER_TESTABLE=never
    step_failed "$@"
}

usage_error() {
    say "$SCRIPT: $1"
    printf '%s\n' "$USAGE$COMMON_USAGE" >&2
    finish 2
}

# parse_options ARGS...: the options above; a script's own options go to
# own_option ARGS..., which sets OWN_TAKES to the count it used and returns
# 0, or returns 1 for an argument it does not know. After "--", the rest
# goes to PASSED when the script sets TAKES_PASSED.
parse_options() {
    local opt value
    while [ $# -gt 0 ]; do
        opt=$1
        value=""
        case $opt in
            --*=*) value=${opt#*=}; opt=${opt%%=*}; set -- "$opt" "$value" "${@:2}" ;;
        esac
        case $opt in
            -h | --help) printf '%s\n' "$USAGE$COMMON_USAGE"; finish 0 ;;
            --wine | --prefix | --build)
                [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$opt needs a value"
                case $opt in
                    --wine) WINE_CHOICE=$2 ;;
                    --prefix) PREFIX_CHOICE=$2 ;;
                    --build) BUILD=$(realpath -m "$2") ;;
                esac
                shift 2 ;;
            --no-wait) NO_WAIT=1; shift ;;
            --quiet) QUIET=1; shift ;;
            --)
                [ -n "${TAKES_PASSED:-}" ] || usage_error "unknown argument: --"
                shift
                PASSED=("$@")
                return 0 ;;
            *)
                OWN_TAKES=0
                if declare -F own_option >/dev/null && own_option "$@"; then
                    shift "$OWN_TAKES"
                else
                    usage_error "unknown argument: $opt"
                fi ;;
        esac
    done
}

# check_paths: the build folder and the prefix as the scripts will use
# them. Root runs these scripts, so a folder they build in, or might delete
# in, must be the user's own, and a path must reach CMake and ctest whole.
check_paths() {
    local fault
    fault=$(path_fault "$BUILD")
    [ -z "$fault" ] || step_failed "checking the build folder" "$BUILD cannot be used: $fault; give --build another"
    if [ -e "$BUILD" ] || [ -L "$BUILD" ]; then
        [ -d "$BUILD" ] && [ -O "$BUILD" ] ||
            step_failed "checking the build folder" "$BUILD is not a folder of the user who runs the script; give --build a folder of your own, or a new one"
    fi
    if [ -n "$PREFIX_CHOICE" ]; then
        WINEPREFIX=$(realpath -m "$PREFIX_CHOICE")
    else
        WINEPREFIX="$BUILD/wineprefix"
        [ ! -L "$WINEPREFIX" ] ||
            step_failed "checking the prefix" "$WINEPREFIX is a symbolic link, and the scripts' own prefix must be a folder in the build folder; give another with --prefix"
    fi
    fault=$(path_fault "$WINEPREFIX")
    [ -z "$fault" ] || step_failed "checking the prefix" "$WINEPREFIX cannot be used: $fault; give --prefix another"
    export WINEPREFIX
    mkdir -p "$BUILD" || step_failed "creating the build folder" "check that $BUILD can be written"
}

# Whatever happens, cleanup runs to its end: errors are ignored in it, and
# it stops only what this script started.
CLEANUPS=()
on_exit() { CLEANUPS+=("$1"); }
run_cleanups() {
    set +e
    stop_ticker
    stop_child
    local i
    for ((i = ${#CLEANUPS[@]} - 1; i >= 0; i--)); do ${CLEANUPS[i]}; done
}

# exit_status STATUS: the status the script ends with, after its cleanup.
# A script may define its own before it sources this file (run.sh does,
# for --bisect).
declare -F exit_status >/dev/null || exit_status() { echo "$1"; }

on_script_exit() {
    local status=$?
    set +e
    trap '' INT TERM HUP
    if [ -z "$FINISHING" ] && [ "$status" != 0 ]; then
        say "error: $STEP failed: it ended with status $status; see the messages above" 2>&"$TICK_FD"
        status=3
    fi
    run_cleanups
    exit "$(exit_status "$status")"
}

# The line comes once the step's processes have stopped, so that it is the
# last one.
interrupted() {
    trap '' INT TERM HUP
    set +e
    stop_ticker
    stop_child
    say "interrupted: $STEP" 2>&"$TICK_FD"
    finish "$1"
}

trap on_script_exit EXIT
trap 'interrupted 130' INT
trap 'interrupted 143' TERM
trap 'interrupted 129' HUP

parse_options "$@"
# A script checks its whole command line here, before any lock is taken or
# anything installed, in check_own_options when it defines one.
# Not in a list, where set -e would not act in it: a command that fails
# there ends the script as it would anywhere else.
if declare -F check_own_options >/dev/null; then check_own_options; fi
step "checking the paths"
check_paths
# The user's own settings pass on untouched; these apply only where unset.
export WINEDEBUG=${WINEDEBUG--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES-mscoree,mshtml=}
case ${WINEARCH:-win64} in
    win64) ;;
    *) step_failed "checking WINEARCH" "WINEARCH=$WINEARCH is not supported: the scripts run both builds in a 64-bit prefix; unset WINEARCH" ;;
esac
step "locking the build folder"
lock_folder 9 "$BUILD" "the build folder" --build
step "locking the prefix"
lock_folder 8 "$WINEPREFIX" "the prefix" --prefix
# Every platform program this run starts carries it, so that a later run
# knows the ones a killed run left in a prefix of the user's own.
prefix_shared || export CAPTURE_SCRIPT_RUN=$$
