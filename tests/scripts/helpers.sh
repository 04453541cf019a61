# Shared by the script tests. Each test is started by tools/test.sh with its
# build folder and 64-bit loader, and runs the scripts on that build folder,
# sharing the calling run's lock, display and platform.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$1
REAL_LOADER=$2
RUN_PREFIX=${WINEPREFIX:-$BUILD/wineprefix}
source "$ROOT/tools/platform.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# expect_run STATUS SECONDS COMMAND...: STATUS may list choices (0|1);
# stdout goes to $WORK/out, stderr to $WORK/err.
expect_run() {
    local want=$1 limit=$2 got=0
    shift 2
    timeout "$limit" "$@" >"$WORK/out" 2>"$WORK/err" || got=$?
    [[ $got =~ ^($want)$ ]] || { cat "$WORK/err" >&2; fail "$* ended with status $got, not $want"; }
}

expect_said() {
    grep -qF -- "$1" "$WORK/err" || { cat "$WORK/err" >&2; fail "stderr lacks: $1"; }
}

# Processes still running in a prefix: none should outlive the script.
expect_nothing_left_in() {
    local p
    for p in /proc/[0-9]*; do
        if { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1"; then
            fail "left running in $1: $(tr '\0' ' ' <"$p/cmdline")"
        fi
    done
}
