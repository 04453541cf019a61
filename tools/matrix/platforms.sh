# One platform version of the matrix: where its loaders are, how to run a
# command on it, and its prefix and server. Sourced by matrix.sh.
# VERSION is "host" (the platform chosen as for the other scripts, Debian's
# package by default) or a Debian release with a root of its own (see
# roots.sh).

MATRIX="$BUILD/matrix"

# The job slot this shell runs cells in (--jobs): each slot has prefixes,
# servers and a display of its own, so that no two cells write one file.
# Slot 1's prefixes are those a run without --jobs uses.
SLOT=1
version_dir() {
    if [ "$SLOT" = 1 ]; then echo "$MATRIX/$1"; else echo "$MATRIX/slot$SLOT/$1"; fi
}

version_label() {
    case "$1" in
        host)
            if [ -n "${WINE_CHOICE:-}" ]; then
                echo "host ($WINE_CHOICE)"
            else
                echo "$(. /etc/os-release && echo "${NAME%% *} ${VERSION_ID:-?}") (host)"
            fi ;;
        bullseye) echo "Debian 11" ;;
        trixie) echo "Debian 13" ;;
        sid) echo "Debian unstable" ;;
    esac
}

# The locks (descriptors 8 and 9) stay with this script, not with
# a server that outlives a command. Bounded as in_root is; a program that
# waits for input gets none.
on_version() {
    local version=$1
    shift
    if [ "$version" = host ]; then
        bounded "$@" 8<&- 9>&- </dev/null
    else
        in_root "$version" "$@" 8<&- 9>&- </dev/null
    fi
}

# A root's platform is found as the host's is (platform.sh), in the root.
version_loader() {
    if [ "$1" = host ]; then
        [ "$2" = 32 ] && echo "$LOADER32" || echo "$LOADER64"
        return 0
    fi
    local dir loader
    for dir in $DEBIAN_PLATFORMS; do
        loader=$(choose_loader "$ROOTS/$1$dir" "$2") && { echo "${loader#"$ROOTS/$1"}"; return 0; }
    done
    return 1
}

version_server() {
    [ "$1" != host ] || { echo "$WINESERVER"; return 0; }
    local server
    server=$(find_wineserver "$ROOTS/$1$(version_loader "$1" 64)") && echo "${server#"$ROOTS/$1"}"
}

# on_wine VERSION BITS ARGS...: a program on that version's platform, in
# the version's own prefix.
on_wine() {
    local version=$1 bits=$2
    shift 2
    WINEPREFIX="$(version_dir "$version")/prefix" on_version "$version" "$(version_loader "$version" "$bits")" "$@"
}

on_server() {
    local version=$1
    shift
    WINEPREFIX="$(version_dir "$version")/prefix" on_version "$version" "$(version_server "$version")" "$@"
}

# A new prefix remembers the Windows version it reports by default, so that
# the configurations that do not set one can set it back, and the platform
# that made it: the host's prefix is made anew for another platform. The
# version is read from the new prefix's registry: 5.0's "winecfg -v" would
# open its window and wait.
ensure_prefix() {
    local version=$1 dir platform windows
    dir=$(version_dir "$version")
    platform=$(version_loader "$version" 64)
    [ -f "$dir/default-windows" ] && [ "$(cat "$dir/platform" 2>/dev/null)" = "$platform" ] && return 0
    progress "creating the $version prefix in $dir/prefix (once per platform, about 20 s)"
    rm -rf "$dir"
    mkdir -p "$dir"
    echo "$platform" >"$dir/platform"
    run_stoppable on_wine "$version" 64 wineboot --init >"$dir/wineboot.log" 2>&1 ||
        step_failed "creating the $version prefix" "see $dir/wineboot.log, and that $version's platform runs: $(version_loader "$version" 64) --version"
    # The server writes the registry out when it stops.
    stop_version_server "$version"
    windows=$(registry_windows <"$dir/prefix/system.reg")
    [ -n "$windows" ] ||
        step_failed "reading $version's default Windows version" "$dir/prefix/system.reg names none; remove $dir and run again"
    echo "$windows" >"$dir/default-windows"
}

default_windows() {
    cat "$(version_dir "$1")/default-windows"
}

# One persistent server per version for all its cells saves a start per
# run; its services start here, not inside the first measured run.
start_version_server() {
    stop_version_server "$1"
    on_server "$1" -p
    on_wine "$1" 64 wineboot >/dev/null 2>&1 </dev/null
}

stop_version_server() {
    on_server "$1" -k 2>/dev/null || true
    on_server "$1" -w 2>/dev/null || true
}
