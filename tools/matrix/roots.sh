# The other Debian releases' platforms, each in a root of its own under
# build/roots/, made once with mmdebstrap and reused. Sourced by matrix.sh.
#   ensure_root RELEASE      builds the root unless it is there
#   in_root RELEASE CMD...   runs CMD in the root with the display, the
#                            devices and the build folder bound in, for
#                            PLATFORM_LIMIT seconds at most

ROOTS="$BUILD/roots"

# What each release needs: bullseye and trixie still run 32-bit programs
# through wine32:i386, sid through its 64-bit loader alone (its wine32:i386
# cannot be installed).
root_packages() {
    case "$1" in
        bullseye | trixie) echo "wine,wine64,wine32:i386" ;;
        sid) echo "wine,wine64" ;;
    esac
}

root_architectures() {
    case "$1" in
        bullseye | trixie) echo "amd64,i386" ;;
        sid) echo "amd64" ;;
    esac
}

# Nothing the matrix runs waits without a limit: a platform that hangs (5.0's
# bare "winecfg -v" opens its window and waits) is ended, with its children.
PLATFORM_LIMIT=120
bounded() {
    timeout -k 5 "$PLATFORM_LIMIT" "$@"
}
# A download that stalls ends too.
ROOT_LIMIT=1800

# The Debian mirror this machine's own apt sources use, so that the roots
# come from where the host's packages come from.
debian_mirror() {
    local uri
    uri=$(awk '/^URIs:/ && $2 ~ /\/debian\/?$/ { print $2; exit }' /etc/apt/sources.list.d/*.sources 2>/dev/null)
    [ -n "$uri" ] || uri=$(awk '/^deb / && $2 ~ /\/debian\/?$/ { print $2; exit }' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null)
    [ -n "$uri" ] || step_failed "finding the Debian mirror" "add a Debian mirror to /etc/apt/sources.list.d"
    echo "$uri"
}

ensure_root() {
    local release=$1 root="$ROOTS/$1" mirror
    [ -f "$root/.complete" ] && return 0
    mirror=$(debian_mirror)
    progress "building the $release root in $root (once, 1 to 3 min and 1 to 2 GB)"
    rm -rf "$root.partial"
    mkdir -p "$ROOTS"
    # sid's release file is past its validity date on some mirrors.
    run_stoppable timeout -k 5 "$ROOT_LIMIT" mmdebstrap --quiet --variant=apt --architectures="$(root_architectures "$release")" \
        --include="$(root_packages "$release")" \
        --aptopt='Acquire::Check-Valid-Until "false"' \
        "$release" "$root.partial" "deb $mirror $release main" >"$ROOTS/$release.log" 2>&1 9>&- ||
        step_failed "building the $release root" "see $ROOTS/$release.log, then run again"
    touch "$root.partial/.complete"
    rm -rf "$root"
    mv "$root.partial" "$root"
}

# A private mount namespace keeps the binds out of the host's view and
# drops them when the last process in it ends. bash runs the command
# because, unlike chroot, it says so when the kernel cannot run a program.
in_root() {
    local root="$ROOTS/$1"
    shift
    mkdir -p "$root/tmp/.X11-unix" "$root$BUILD"
    bounded unshare --mount --propagation private -- /bin/sh -c '
        root=$1 build=$2; shift 2
        mount --rbind /dev "$root/dev" &&
        mount -t proc proc "$root/proc" &&
        mount --rbind /sys "$root/sys" &&
        mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
        mount --bind "$build" "$root$build" &&
        exec chroot "$root" /bin/bash -c "exec \"\$@\"" run "$@"' sh "$root" "$BUILD" "$@"
}
