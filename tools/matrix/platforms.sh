# One platform version of the matrix: where its loaders are, how to run a
# command on it, and its prefix and server. Sourced by matrix.sh.
# VERSION is "host" (the platform installed on this machine) or a Debian
# release with a root of its own (see roots.sh).

MATRIX="$BUILD/matrix"

version_label() {
    case "$1" in
        host) echo "$(. /etc/os-release && echo "${NAME%% *} ${VERSION_ID:-?}") (host)" ;;
        trixie) echo "Debian 13" ;;
        sid) echo "Debian unstable" ;;
    esac
}

on_version() {
    local version=$1
    shift
    if [ "$version" = host ]; then
        "$@"
    else
        in_root "$version" "$@"
    fi
}

file_in_version() {
    if [ "$1" = host ]; then test -e "$2"; else test -e "$ROOTS/$1$2"; fi
}

first_in_version() {
    local version=$1 path
    shift
    for path in "$@"; do
        file_in_version "$version" "$path" && { echo "$path"; return 0; }
    done
    return 1
}

# Debian 12 and 13 have a loader per bitness in /usr/lib/wine; unstable has
# one loader for both in the multiarch folder.
version_loader() {
    case "$2" in
        32) first_in_version "$1" /usr/lib/wine/wine /usr/lib/x86_64-linux-gnu/wine/wine ;;
        64) first_in_version "$1" /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine ;;
    esac
}

version_server() {
    first_in_version "$1" /usr/lib/wine/wineserver64 /usr/lib/x86_64-linux-gnu/wine/wineserver
}

# on_wine VERSION BITS ARGS...: a program on that version's platform, in
# the version's own prefix.
on_wine() {
    local version=$1 bits=$2
    shift 2
    WINEPREFIX="$MATRIX/$version/prefix" on_version "$version" "$(version_loader "$version" "$bits")" "$@"
}

on_server() {
    local version=$1
    shift
    WINEPREFIX="$MATRIX/$version/prefix" on_version "$version" "$(version_server "$version")" "$@"
}

# A new prefix remembers the Windows version it reports by default, so that
# the configurations that do not set one can set it back.
ensure_prefix() {
    local version=$1 dir="$MATRIX/$1"
    [ -f "$dir/default-windows" ] && return 0
    say "creating the $version prefix in $dir/prefix (once, about 20 s)"
    rm -rf "$dir"
    mkdir -p "$dir"
    on_wine "$version" 64 wineboot --init >/dev/null 2>&1 ||
        step_failed "creating the $version prefix" "see that $version's platform runs: $(version_loader "$version" 64) --version"
    # 8.0 prints it on standard output, 10.0 on standard error.
    on_wine "$version" 64 winecfg -v 2>&1 | tr -d "\r" | grep -E "^[a-z0-9]+$" >"$dir/default-windows.partial" || true
    stop_server "$version"
    [ -s "$dir/default-windows.partial" ] ||
        step_failed "reading $version's default Windows version" "remove $dir and run again"
    mv "$dir/default-windows.partial" "$dir/default-windows"
}

default_windows() {
    cat "$MATRIX/$1/default-windows"
}

# One persistent server per version for all its cells saves a start per
# run; its services start here, not inside the first measured run.
start_server() {
    stop_server "$1"
    on_server "$1" -p
    on_wine "$1" 64 wineboot >/dev/null 2>&1 </dev/null
}

stop_server() {
    on_server "$1" -k 2>/dev/null || true
    on_server "$1" -w 2>/dev/null || true
}

# Whether this version runs 32-bit programs here, found by running one:
# empty if it does, else the reason it does not.
why_no_32bit() {
    local output status=0
    output=$(on_wine "$1" 32 "$BUILD/i686/bin/check.exe" --version 2>&1 </dev/null) || status=$?
    case "$output" in
        check*) return 0 ;;
    esac
    if [ $status -gt 128 ] && [ $status -lt 160 ]; then
        output="it was killed by SIG$(kill -l $((status - 128)))"
    else
        output=$(printf '%s\n' "$output" | tr -d '\r' | grep -v '^$' | head -1)
        # The loader's own words are enough; the path before them is known.
        output=${output##*: }
    fi
    echo "32-bit programs do not start here (${output:-they print nothing})"
}
