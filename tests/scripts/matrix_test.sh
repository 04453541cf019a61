#!/usr/bin/env bash
# The matrix's cells on the host's platform, as JSON lines and table rows:
# a 64-bit cell that reports Windows XP, and its 32-bit twin, which runs
# or says why it cannot.
#   BUILD_DIR=FOLDER tests/scripts/matrix_test.sh
# FOLDER holds both targets' builds; DISPLAY names a display to run on.
set -euo pipefail
source "$(dirname "$0")/../../tools/platform.sh"
BUILD=${BUILD_DIR:?set BUILD_DIR to the build folder}
for part in roots platforms configs cells; do
    source "$ROOT/tools/matrix/$part.sh"
done
step_failed() { say "error: $1 failed: $2"; exit 3; }
[ -n "${DISPLAY:-}" ] || step_failed "finding a display" "set DISPLAY to a running X display, e.g. one of Xvfb"

passed=0 failed=0
expect() {
    if eval "$2"; then
        passed=$((passed + 1)); echo "ok - $1"
    else
        failed=$((failed + 1)); echo "not ok - $1"
    fi
}
row_is() { [[ "$(cell_row <<<"$1")" =~ ^"| "[^|]*"(host) | "$2" |"$ ]]; }

ensure_prefix host
trap 'stop_server host' EXIT
apply_config host winxp
start_server host
windows=$(on_wine host 64 cmd /c ver 2>/dev/null | tr -d '\r')
cell64=$(run_cell host 64 winxp)
cell32=$(run_cell host 32 winxp "$(why_no_32bit host)")

expect "winxp makes the platform report Windows 5.x" '[[ "$windows" == *" 5."* ]]'
held='.reason == null and .check.status == 1 and .check.openFile.verdict == "held" and .check.chooseFont.verdict == "released"'
expect "64-bit cell: JSON line with the platform's verdicts" \
    'jq -e ".version == \"host\" and .bitness == 64 and .config == \"winxp\" and $held" >/dev/null <<<"$cell64"'
expect "64-bit cell: table row" 'row_is "$cell64" "64 \| winxp \| [^|]+ \| [^|]+ \| HELD \| released \| 1 \| [0-9.]+"'
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    expect "32-bit cell runs where the kernel runs 32-bit programs" 'jq -e "$held" >/dev/null <<<"$cell32"'
else
    expect "32-bit cell says why it cannot run" \
        'jq -e ".check == null and (.reason | startswith(\"cannot run here: \"))" >/dev/null <<<"$cell32"'
    expect "32-bit cell: table row" 'row_is "$cell32" "32 \| winxp \| cannot run here: [^|]+( \| –){5}"'
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
