#!/usr/bin/env bash
# Runs the checker (and the survey) across platform versions, bitnesses and
# configurations and prints Markdown tables, what changed between versions
# and what differs from an earlier run; or merges the shards of such a run.
set -euo pipefail
# Oldest first: the changes are told between neighbours.
ALL_VERSIONS="bullseye host trixie sid"
# In this order the server is restarted once, for the desktop.
ALL_CONFIGS="unmanaged openbox winxp win7 win10 desktop"
ALL_BITS="32 64"
USAGE="usage: tools/matrix.sh [OPTIONS]
       tools/matrix.sh --merge FILE... [--baseline FILE] [--json FILE] [--html FILE]
Runs the checker on each version, bitness and configuration chosen, with one
line of progress per cell on standard error, then prints a Markdown table,
the lines of what changed between neighbouring versions, and a closing line
that counts the cells that ran, were skipped and failed, on standard output.
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
  --bits LIST      comma-separated, of: 32, 64 (default: both)
  --survey         run the survey in every cell too, and print its table
  --shard K/N      run only the Kth of N shares of the cells chosen (a
                   version's cells kept together where they can be); merge
                   the N --json files with --merge
  --jobs N         run N cells at a time, each job with prefixes and a
                   virtual display of its own (default: 1)
  --json FILE      also write the run (a line) and one JSON object per cell
                   to FILE, one a line (see docs/matrix.md)
  --html FILE      also write the tables as one HTML page to FILE
  --baseline FILE  compare every cell with FILE, an earlier --json output,
                   and print each difference; the run and FILE must hold
                   the same cells
  --allow-partial  with --baseline: compare the cells both hold, and list
                   those found on one side only
  --merge FILE...  print what the one run that the shards' --json FILEs
                   split would print (with --baseline, --json, --html too)
The matrix does not use --prefix and refuses it: each version has a prefix
of its own in BUILD/matrix/. Every platform command runs with a time limit.
Where the kernel cannot run 32-bit programs, every 32-bit cell is skipped
without being tried.
Exit status: 0 when every cell that ran has a verdict (and, with
--baseline, none differs), 1 when a cell differs from the baseline, 3 when
a cell gave no verdict (they are named), or 2 and 3 below."
versions_chosen=${ALL_VERSIONS// /,} configs_chosen=${ALL_CONFIGS// /,} bits_chosen=${ALL_BITS// /,}
json_file="" html_file="" baseline_file="" SURVEY="" allow_partial="" shard="" JOBS=1 merging=""
merge_files=() selecting=()
own_option() {
    case $1 in
        --survey) SURVEY=1; selecting+=("$1"); OWN_TAKES=1; return 0 ;;
        --allow-partial) allow_partial=1; OWN_TAKES=1; return 0 ;;
        --merge)
            merging=1 OWN_TAKES=1
            shift
            while [ $# -gt 0 ] && [[ $1 != --* ]]; do merge_files+=("$1"); OWN_TAKES=$((OWN_TAKES + 1)); shift; done
            return 0 ;;
        --versions | --configs | --bits | --json | --html | --baseline | --shard | --jobs)
            [ $# -ge 2 ] && [ -n "$2" ] || usage_error "$1 needs a value" ;;
        *) return 1 ;;
    esac
    case $1 in
        --versions) versions_chosen=$2; selecting+=("$1") ;;
        --configs) configs_chosen=$2; selecting+=("$1") ;;
        --bits) bits_chosen=$2; selecting+=("$1") ;;
        --shard) shard=$2; selecting+=("$1") ;;
        --jobs) JOBS=$2; selecting+=("$1") ;;
        --json) json_file=$2 ;;
        --html) html_file=$2 ;;
        --baseline) baseline_file=$2 ;;
    esac
    OWN_TAKES=2
}
# --prefix is told apart from the environment's WINEPREFIX, which the
# matrix ignores as well.
ENV_PREFIX=${WINEPREFIX:-}
for part in selection inputs output; do
    source "$(dirname "$0")/matrix/$part.sh"
done
# The whole command line, and every file it names, before any lock. It runs
# where set -e does not act (script.sh calls it in a list), so every step
# that can fail ends the script itself.
check_own_options() {
    [ "$PREFIX_CHOICE" = "$ENV_PREFIX" ] ||
        usage_error "--prefix is not used: each version has a prefix of its own in $BUILD/matrix/"
    if [ -n "$merging" ]; then
        [ ${#selecting[@]} = 0 ] ||
            usage_error "--merge takes the cells from its files; ${selecting[0]} does not go with it"
        [ ${#merge_files[@]} -gt 0 ] || usage_error "--merge needs the shards' --json files"
    else
        local versions bits configs
        choose versions version "$versions_chosen" "$ALL_VERSIONS"
        choose bits bitness "$bits_chosen" "$ALL_BITS"
        choose configs configuration "$configs_chosen" "$ALL_CONFIGS"
        choose_shard "$shard"
        SELECTION=$(selection_json "$versions" "$bits" "$configs" "$SURVEY") || step_failed "reading the options" "jq failed"
        [[ $JOBS =~ ^[1-9][0-9]?$ ]] || usage_error "--jobs takes a number of jobs from 1 to 99, not $JOBS"
    fi
    check_files
    if [ -n "$merging" ]; then
        merge_shards
    else
        RUN_KEYS=$(run_keys "$SELECTION" "$SHARD_INDEX" "$SHARD_COUNT") &&
            OTHER_KEYS=$(other_keys "$SELECTION" "$SHARD_INDEX" "$SHARD_COUNT") ||
            step_failed "reading the options" "jq failed"
    fi
    [ -z "$baseline_file" ] || match_baseline
}
source "$(dirname "$0")/script.sh"
for part in roots platforms windows configs openbox ended cells reports slots; do
    source "$ROOT/tools/matrix/$part.sh"
done
[ -z "$html_file" ] || source "$ROOT/tools/matrix/html.sh"

# In the build folder, which the roots see too: the checker writes its
# report there.
mkdir -p "$MATRIX"
CELL_FILES=$(mktemp -d "$MATRIX/cells.XXXXXX") || step_failed "making a folder for the cells" "check that $MATRIX can be written"
remove_cell_files() { rm -rf "$CELL_FILES"; }
on_exit remove_cell_files
mkdir "$CELL_FILES/cells"
lines=$CELL_FILES/lines
[ -z "$baseline_file" ] || printf '%s\n' "$BASELINE_TEXT" >"$CELL_FILES/baseline.json"

if [ -n "$merging" ]; then
    step "merging the shards"
    jq -c '.header, .cells[]' <<<"$MERGED" >"$lines"
    SURVEY=$(jq -r '.header.selection.survey // false | if . then 1 else "" end' <<<"$MERGED")
    print_reports "$lines"
fi

# Which cells run: where the kernel cannot run 32-bit programs, none of the
# 32-bit side is tried, on any version.
kernel_runs_32bit || true
TO_RUN=()
for key in $RUN_KEYS; do
    [ "$(cell_bits "$key")" = 32 ] && [ "$KERNEL_32BIT" = no ] || TO_RUN+=("$key")
done
RUN_VERSIONS=$(printf '%s\n' "${TO_RUN[@]}" | cut -d/ -f1 | uniq | xargs)
run_bits=$(printf '%s\n' "${TO_RUN[@]}" | cut -d/ -f2 | sort -u | xargs)
started=$SECONDS

if [ ${#TO_RUN[@]} -gt 0 ]; then
    # The matrix's own tools join the packages the other scripts need, for
    # the cells this run has to run only.
    if [ "${RUN_VERSIONS}" != host ]; then
        [ "$(id -u)" = 0 ] ||
            step_failed "checking the user" "the Debian roots are built and entered as root; run as root, or with --versions host"
        BUILD_PACKAGES="$BUILD_PACKAGES mmdebstrap"
    fi
    [[ " ${TO_RUN[*]}" != *"/openbox"* ]] || BUILD_PACKAGES="$BUILD_PACKAGES openbox"
    install_missing
    choose_platform
    programs=(TEST check)
    [ -z "$SURVEY" ] || programs+=(survey)
    [[ " $run_bits " != *" 32 "* ]] || build_target i686 "${programs[@]}"
    [[ " $run_bits " != *" 64 "* ]] || build_target x86_64 "${programs[@]}"
    for version in $RUN_VERSIONS; do
        [ "$version" = host ] || ensure_root "$version"
    done
    # No window manager runs unless a cell starts one: each job has a
    # display of its own.
    unset DISPLAY
    step "running the cells"
    progress "running ${#TO_RUN[@]} cells$([ "$JOBS" = 1 ] || echo " in $JOBS jobs")"
    run_slots "$JOBS" "${TO_RUN[@]}"
fi

step "collecting the cells"
{
    run_header "$SELECTION" "$SHARD_INDEX" "$SHARD_COUNT" "$RUN_KEYS"
    for key in $RUN_KEYS; do
        IFS=/ read -r v b c <<<"$key"
        if [ -f "$(cell_file "$key")" ]; then
            cat "$(cell_file "$key")"
        elif [ "$b" = 32 ] && [ "$KERNEL_32BIT" = no ]; then
            skipped_line "$v" "$b" "$c" "$SURVEY" "$NO_32BIT"
        else
            step_failed "collecting the cells" "the cell $key left no line in $CELL_FILES"
        fi
    done
} >"$lines"
progress "$(wc -w <<<"$RUN_KEYS") cells in $((SECONDS - started)) s"
print_reports "$lines"
