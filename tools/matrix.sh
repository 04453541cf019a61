#!/usr/bin/env bash
# Runs the checker across platform versions, bitnesses and configurations
# and prints a Markdown table (and one JSON line per cell with --json).
set -euo pipefail
ALL_VERSIONS="host trixie sid"
# In this order the server is restarted once, for the desktop.
ALL_CONFIGS="unmanaged openbox winxp win7 win10 desktop"
USAGE="usage: tools/matrix.sh [OPTIONS]
Runs the checker on each version, bitness (32, 64) and configuration chosen,
with one line of progress per cell on standard error, then prints a Markdown
table on standard output.
  --versions LIST  comma-separated, of: ${ALL_VERSIONS// /, } (default: all).
                   host is the platform the other scripts use (see --wine);
                   trixie (Debian 13) and sid (unstable) run in Debian roots
                   built once in BUILD/roots/ (about 3 min and 2 GB each, as root)
  --configs LIST   comma-separated, of: ${ALL_CONFIGS// /, }
                   (default: all). unmanaged: no window manager, the platform draws the frames;
                   openbox: a window manager manages the windows; winxp, win7,
                   win10: unmanaged, reporting that Windows version; desktop:
                   the platform's virtual desktop
  --json FILE      also write one JSON object per cell to FILE, one a line
Each version has a prefix of its own in BUILD/matrix/ (--prefix is not used).
A cell that cannot run here (a 32-bit one where 32-bit programs do not start)
says why in its row.
Exit status: 0 when every cell has its row, or 2 and 3 below."
versions_chosen=${ALL_VERSIONS// /,} configs_chosen=${ALL_CONFIGS// /,} json_file=""
own_option() {
    case $1 in
        --versions | --configs | --json) [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$1 needs a value" ;;
        *) return 1 ;;
    esac
    case $1 in
        --versions) versions_chosen=$2 ;;
        --configs) configs_chosen=$2 ;;
        --json) json_file=$2 ;;
    esac
    OWN_TAKES=2
}
source "$(dirname "$0")/script.sh"
for part in roots platforms configs openbox cells; do
    source "$ROOT/tools/matrix/$part.sh"
done

# chosen NAME LIST ALLOWED: the words of ALLOWED that the comma-separated
# LIST names, in ALLOWED's order.
chosen() {
    local item picked=""
    for item in ${2//,/ }; do
        [[ " $3 " == *" $item "* ]] || usage_error "unknown $1: $item (known: $3)"
    done
    for item in $3; do
        [[ ",$2," != *",$item,"* ]] || picked="$picked $item"
    done
    [ -n "$picked" ] || usage_error "no $1 chosen"
    echo "$picked"
}
versions=$(chosen version "$versions_chosen" "$ALL_VERSIONS")
configs=$(chosen configuration "$configs_chosen" "$ALL_CONFIGS")

# The matrix's own tools join the packages the other scripts need.
if [ "${versions# }" != host ]; then
    [ "$(id -u)" = 0 ] ||
        step_failed "checking the user" "the Debian roots are built and entered as root; run as root, or with --versions host"
    BUILD_PACKAGES="$BUILD_PACKAGES mmdebstrap"
fi
[[ " $configs " != *" openbox "* ]] || BUILD_PACKAGES="$BUILD_PACKAGES openbox"
install_missing
choose_platform
build_target i686 TEST check
build_target x86_64 TEST check
for version in $versions; do
    [ "$version" = host ] || ensure_root "$version"
done

# A display of its own, so that no window manager runs unless a cell
# starts one.
unset DISPLAY
start_display
SERVING=""
stop_serving() { [ -z "$SERVING" ] || stop_version_server "$SERVING"; }
on_exit stop_serving
on_exit stop_openbox
lines=$(mktemp)
remove_lines() { rm -f "$lines"; }
on_exit remove_lines
[ -z "$json_file" ] || : >"$json_file" || step_failed "writing $json_file" "give --json a file that can be written"

total=$(($(wc -w <<<"$versions") * 2 * $(wc -w <<<"$configs")))
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
            start_version_server "$version"
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
            progress "[$done_cells/$total] $(cell_progress <<<"$line")"
        done
    done
    stop_version_server "$version"
    SERVING=""
done
stop_openbox

printf '%s\n' "$TABLE_HEAD"
cell_row <"$lines"
progress "$total cells in $((SECONDS - started)) s"
