#!/usr/bin/env bash
# Runs the checker (and the survey) across platform versions, bitnesses and
# configurations and prints Markdown tables, what changed between versions
# and what differs from an earlier run (and one JSON line per cell with --json).
set -euo pipefail
# Oldest first: the changes are told between neighbours.
ALL_VERSIONS="bullseye host trixie sid"
# In this order the server is restarted once, for the desktop.
ALL_CONFIGS="unmanaged openbox winxp win7 win10 desktop"
USAGE="usage: tools/matrix.sh [OPTIONS]
Runs the checker on each version, bitness (32, 64) and configuration chosen,
with one line of progress per cell on standard error, then prints a Markdown
table, and the lines of what changed between neighbouring versions, on
standard output.
  --versions LIST  comma-separated, of: ${ALL_VERSIONS// /, } (default: all).
                   host is the platform the other scripts use (see --wine);
                   bullseye (Debian 11), trixie (Debian 13) and sid (unstable)
                   run in Debian roots built once in BUILD/roots/ (1 to
                   3 min and 0.8 to 2 GB each, as root)
  --configs LIST   comma-separated, of: ${ALL_CONFIGS// /, }
                   (default: all). unmanaged: no window manager, the platform draws the frames;
                   openbox: a window manager manages the windows; winxp, win7,
                   win10: unmanaged, reporting that Windows version; desktop:
                   the platform's virtual desktop
  --survey         run the survey in every cell too, and print its table
  --json FILE      also write one JSON object per cell to FILE, one a line
  --baseline FILE  compare every cell with FILE, an earlier --json output,
                   and print each difference; cells found on one side only
                   are listed and are no difference
The matrix does not use --prefix and refuses it: each version has a prefix
of its own in BUILD/matrix/. Every platform command runs with a time limit.
A cell that cannot run here (a 32-bit one where 32-bit programs do not start)
says why in its row.
Exit status: 0 when every cell has its row (and, with --baseline, none
differs), 1 when a cell differs from the baseline, or 2 and 3 below."
versions_chosen=${ALL_VERSIONS// /,} configs_chosen=${ALL_CONFIGS// /,} json_file="" baseline_file="" survey=""
own_option() {
    case $1 in
        --survey) survey=1; OWN_TAKES=1; return 0 ;;
        --versions | --configs | --json | --baseline) [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$1 needs a value" ;;
        *) return 1 ;;
    esac
    case $1 in
        --versions) versions_chosen=$2 ;;
        --configs) configs_chosen=$2 ;;
        --json) json_file=$2 ;;
        --baseline) baseline_file=$2 ;;
    esac
    OWN_TAKES=2
}
# --prefix is told apart from the environment's WINEPREFIX, which the
# matrix ignores as well.
ENV_PREFIX=${WINEPREFIX:-}
source "$(dirname "$0")/script.sh"
for part in roots platforms windows configs openbox ended cells reports; do
    source "$ROOT/tools/matrix/$part.sh"
done
[ "$PREFIX_CHOICE" = "$ENV_PREFIX" ] ||
    usage_error "--prefix is not used: each version has a prefix of its own in $BUILD/matrix/"

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
# A baseline that cannot be read is found before the long run, not after.
if [ -n "$baseline_file" ]; then
    jq -e -s 'length > 0 and all(.[]; type == "object" and has("version") and has("bitness") and has("config"))' \
        "$baseline_file" >/dev/null 2>&1 ||
        usage_error "--baseline $baseline_file is not the JSON lines of an earlier --json output"
    # --json empties its file first.
    [ -z "$json_file" ] || [ "$(realpath -m "$json_file")" != "$(realpath -m "$baseline_file")" ] ||
        usage_error "--json would overwrite the baseline $baseline_file; give it another file"
fi

# The matrix's own tools join the packages the other scripts need.
if [ "${versions# }" != host ]; then
    [ "$(id -u)" = 0 ] ||
        step_failed "checking the user" "the Debian roots are built and entered as root; run as root, or with --versions host"
    BUILD_PACKAGES="$BUILD_PACKAGES mmdebstrap"
fi
[[ " $configs " != *" openbox "* ]] || BUILD_PACKAGES="$BUILD_PACKAGES openbox"
install_missing
choose_platform
programs=(TEST check)
[ -z "$survey" ] || programs+=(survey)
build_target i686 "${programs[@]}"
build_target x86_64 "${programs[@]}"
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
CELL_FILES=$(mktemp -d) || step_failed "making a temporary folder" "set TMPDIR to a folder that can be written"
lines=$CELL_FILES/lines
remove_cell_files() { rm -rf "$CELL_FILES"; }
on_exit remove_cell_files
[ -z "$json_file" ] || : >"$json_file" || step_failed "writing $json_file" "give --json a file that can be written"

total=$(($(wc -w <<<"$versions") * 2 * $(wc -w <<<"$configs")))
done_cells=0 started=$SECONDS
for version in $versions; do
    ensure_prefix "$version"
    SERVING=$version
    desktop="" why_not_32="" checked_32=""
    for config in $configs; do
        apply_config "$version" "$config"
        # The server makes the desktop when its first program starts.
        if [ "$(config_desktop "$config")" != "$desktop" ]; then
            start_version_server "$version"
            desktop=$(config_desktop "$config")
        fi
        if [ "$config" = openbox ]; then start_openbox; else stop_openbox; fi
        # Asked once the server and its services run, as the cells find them.
        [ -n "$checked_32" ] || { why_not_32=$(why_no_32bit "$version"); checked_32=1; }
        for bits in 32 64; do
            why_not=""
            [ "$bits" = 32 ] && why_not=$why_not_32
            # Not in a subshell, which would hold an interrupt until the cell ends.
            run_cell "$version" "$bits" "$config" "$why_not" "$survey" >"$CELL_FILES/line"
            line=$(cat "$CELL_FILES/line")
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
if [ -n "$survey" ]; then
    echo
    report survey-table <"$lines"
fi
echo
echo "What changed between neighbouring versions:"
changes=$(report changes <"$lines")
printf '%s\n' "${changes:-nothing}"
progress "$total cells in $((SECONDS - started)) s"
[ -n "$baseline_file" ] || exit 0
echo
echo "Against the baseline $baseline_file:"
compare_baseline "$baseline_file" <"$lines" && exit 0
[ $? = 1 ] || step_failed "comparing with the baseline $baseline_file" "check that it is an earlier run's --json output"
exit 1
