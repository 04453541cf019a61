#!/usr/bin/env bash
# Runs the checker across platform versions, bitnesses and configurations
# and prints a Markdown table (and one JSON line per cell with --json).
set -euo pipefail
source "$(dirname "$0")/platform.sh"
for part in roots platforms configs display cells; do
    source "$ROOT/tools/matrix/$part.sh"
done

ALL_VERSIONS="host trixie sid"

usage() {
    cat <<EOF
usage: tools/matrix.sh [--versions LIST] [--configs LIST] [--json FILE]

Runs the checker on every version, bitness (32, 64) and configuration
chosen, one line of progress per cell on standard error, then prints a
Markdown table on standard output.

  --versions LIST   comma-separated, of: ${ALL_VERSIONS// /, } (default: all)
                    host is the platform installed here; the others run in
                    Debian roots built once under build/roots/ (about 3 min
                    and 2.2 GB each)
  --configs LIST    comma-separated, of: ${ALL_CONFIGS// /, } (default: all)
  --json FILE       also write one JSON object per cell, one per line
  --help, -h        this text

A cell that cannot run on this machine (a 32-bit one where 32-bit programs
do not start) says so in its row. Exit status: 0 when every cell has a row,
2 for a usage error, 3 when a step failed.
EOF
}

step_failed() { say "error: $1 failed: $2"; exit 3; }
usage_error() { say "matrix: $1; see tools/matrix.sh --help"; exit 2; }

# chosen NAME LIST ALLOWED: the words of ALLOWED that the comma-separated
# LIST names, in ALLOWED's order, into CHOSEN.
chosen() {
    local item
    CHOSEN=""
    for item in ${2//,/ }; do
        [[ " $3 " == *" $item "* ]] || usage_error "unknown $1 '$item' (known: $3)"
    done
    for item in $3; do
        [[ ",$2," == *",$item,"* ]] && CHOSEN="$CHOSEN $item"
    done
    [ -n "$CHOSEN" ] || usage_error "no $1 chosen"
}

versions=$ALL_VERSIONS configs=$ALL_CONFIGS json_file=""
while [ $# -gt 0 ]; do
    case "$1" in
        --help | -h) usage; exit 0 ;;
        --versions=* | --configs=* | --json=*) set -- "${1%%=*}" "${1#*=}" "${@:2}"; continue ;;
        --versions | --configs | --json) [ $# -ge 2 ] || usage_error "$1 needs a value" ;;&
        --versions) chosen version "$2" "$ALL_VERSIONS"; versions=$CHOSEN; shift 2 ;;
        --configs) chosen configuration "$2" "$ALL_CONFIGS"; configs=$CHOSEN; shift 2 ;;
        --json) json_file=$2; shift 2 ;;
        *) usage_error "unknown option '$1'" ;;
    esac
done

PACKAGES="$PACKAGES jq"
if [ "${versions// /}" != host ]; then
    [ "$(id -u)" = 0 ] || usage_error "the other versions' roots are built and entered as root; run as root, or with --versions host"
    PACKAGES="$PACKAGES mmdebstrap"
fi
[[ " $configs " == *" openbox "* ]] && PACKAGES="$PACKAGES openbox"
install_missing
build_target i686 TEST check
build_target x86_64 TEST check
for version in $versions; do
    [ "$version" = host ] || ensure_root "$version"
done

SERVING=""
cleanup() {
    stop_openbox
    [ -z "$SERVING" ] || stop_server "$SERVING"
    if [ -n "$STARTED_XVFB" ]; then
        kill "$STARTED_XVFB" 2>/dev/null || true
        wait "$STARTED_XVFB" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_matrix_display

lines=$(mktemp)
trap 'rm -f "$lines"; cleanup' EXIT
[ -z "$json_file" ] || : >"$json_file"
set -- $versions
total=$(($# * 2 * $(wc -w <<<"$configs")))
done_cells=0 started=$SECONDS
for version in $versions; do
    ensure_prefix "$version"
    SERVING=$version
    why_not_32=$(why_no_32bit "$version")
    desktop=""
    for config in $configs; do
        apply_config "$version" "$config"
        # The server makes the desktop when its first program starts.
        if [ "$(config_desktop "$config")" != "$desktop" ]; then
            start_server "$version"
            desktop=$(config_desktop "$config")
        fi
        if [ "$config" = openbox ]; then start_openbox; else stop_openbox; fi
        for bits in 32 64; do
            why_not=""
            [ "$bits" = 32 ] && why_not=$why_not_32
            line=$(run_cell "$version" "$bits" "$config" "$why_not")
            printf '%s\n' "$line" >>"$lines"
            [ -z "$json_file" ] || printf '%s\n' "$line" >>"$json_file"
            done_cells=$((done_cells + 1))
            say "[$done_cells/$total] $(cell_progress <<<"$line")"
        done
    done
    stop_server "$version"
    SERVING=""
done
stop_openbox

printf '%s\n' "$TABLE_HEAD"
cell_row <"$lines"
say "$total cells in $((SECONDS - started)) s"
