# What every script here shares: its messages, its command line, the lock
# on its build folder and the cleanup when it exits. A script sets USAGE
# (and may define own_option) before it sources this file.
#
# Exit statuses: 2 for a usage error, 3 for a step of the script that
# failed. The checker's verdicts use 0, 1 and 2, never 3.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SCRIPT=$(realpath -s --relative-to="$ROOT" "$0")
source "$ROOT/tools/packages.sh"
source "$ROOT/tools/targets.sh"
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
  --build DIR    the build folder (default: build/ in the clone). One run at a
                 time uses a build folder or a prefix; another waits its turn.
  --no-wait      fail at once when another run uses the build folder or
                 the prefix
  --quiet        print only the results, notes and errors
  -h, --help     print this help and exit
  --opt=VALUE works as well as --opt VALUE.
Exit status 2: a usage error. Exit status 3: a step failed; the line
'error: <step> failed: <what to do>' on standard error says which."

QUIET=""
NO_WAIT=""
WINE_CHOICE=${WINE:-}
PREFIX_CHOICE=${WINEPREFIX:-}
BUILD="$ROOT/build"
PASSED=()

say() { printf '%s\n' "$*" >&2; }
progress() { [ -n "$QUIET" ] || say "$*"; }
note() { say "note: $*"; }

# step_failed STEP WHAT-TO-DO
step_failed() {
    say "error: $1 failed: $2"
    exit 3
}

usage_error() {
    say "$SCRIPT: $1"
    printf '%s\n' "$USAGE$COMMON_USAGE" >&2
    exit 2
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
            -h | --help) printf '%s\n' "$USAGE$COMMON_USAGE"; exit 0 ;;
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

# lock_folder FD DIR WHAT OPTION: one run at a time uses DIR (the build folder on
# descriptor 9, the prefix on 8). The lock is the open folder behind FD: a
# script that a locked run starts (the script tests do) inherits it and so
# shares the lock instead of waiting for its own parent.
lock_folder() {
    local fd=$1 dir=$2 what=$3 option=$4
    mkdir -p "$dir" || step_failed "creating $what" "check that $dir can be written"
    if [ -e "/proc/self/fd/$fd" ] &&
        [ "$(stat -L -c %d:%i "/proc/self/fd/$fd")" = "$(stat -c %d:%i "$dir")" ]; then
        return 0
    fi
    eval "exec $fd<\"\$dir\""
    flock -n "$fd" && return 0
    [ -z "$NO_WAIT" ] ||
        step_failed "locking $what" "another run is using $dir; wait for it to end, or give another with $option"
    say "waiting for another run that uses $dir to end"
    flock "$fd"
}

# run_stoppable COMMAND...: a long step, run so that a signal to the script
# ends it at once instead of after the step.
CHILD=""
TICKER=""
run_stoppable() {
    "$@" &
    CHILD=$!
    tick_while "$CHILD" 8<&- 9>&- &
    TICKER=$!
    local status=0
    wait "$CHILD" || status=$?
    stop_ticker
    CHILD=""
    return $status
}

# A long step says every 10 s that it still runs, so that no step is silent
# for long. It waits with a read that nothing answers, not with sleep, so
# that no process of its own outlives it.
tick_while() {
    local seconds=0 never
    exec {never}<> <(:)
    while ! read -r -t 10 -u "$never" && kill -0 "$1" 2>/dev/null; do
        seconds=$((seconds + 10))
        progress "... still running after $seconds s"
    done
}

stop_ticker() {
    [ -n "$TICKER" ] || return 0
    kill "$TICKER" 2>/dev/null || true
    wait "$TICKER" 2>/dev/null || true
    TICKER=""
}

# Whatever happens, cleanup runs to its end: errors are ignored in it, and
# it stops only what this script started.
CLEANUPS=()
on_exit() { CLEANUPS+=("$1"); }
run_cleanups() {
    set +e
    stop_ticker
    [ -z "$CHILD" ] || { kill "$CHILD"; wait "$CHILD"; } 2>/dev/null
    local i
    for ((i = ${#CLEANUPS[@]} - 1; i >= 0; i--)); do ${CLEANUPS[i]}; done
}
trap 'run_cleanups' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

parse_options "$@"
[ -n "$PREFIX_CHOICE" ] || OWN_PREFIX=1
WINEPREFIX=$(realpath -m "${PREFIX_CHOICE:-$BUILD/wineprefix}")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
lock_folder 9 "$BUILD" "the build folder" --build
