# Shared by run.sh and test.sh: installs what is missing, builds, and starts
# the platform (a private prefix in the build tree on a virtual display).
# Everything it starts is stopped again when the calling script exits.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
PACKAGES="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine32:i386 wine64 xvfb xauth imagemagick"

say() { printf '%s\n' "$*" >&2; }
fail() { say "error: $*"; exit 2; }

missing_packages() {
    local p
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || printf '%s ' "$p"
    done
}

install_missing() {
    local missing
    missing=$(missing_packages)
    [ -z "$missing" ] && return 0
    local cmd="dpkg --add-architecture i386 && apt-get update && apt-get install -y $missing"
    if [ "$(id -u)" != 0 ]; then
        fail "missing packages: $missing. Run as root: $cmd"
    fi
    say "installing: $missing"
    dpkg --add-architecture i386
    apt-get update -qq >/dev/null || fail "apt-get update failed; check the network and run: $cmd"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null ||
        fail "installing packages failed; run: $cmd"
}

# The 32-bit side of the platform needs a kernel that runs 32-bit programs;
# some kernels are booted with that switched off.
can_run_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

loader_for() {
    case "$1" in
        i686) echo /usr/lib/wine/wine ;;
        x86_64) echo /usr/lib/wine/wine64 ;;
    esac
}

# build_target TARGET [CMAKE TARGETS...]: everything when none are named.
build_target() {
    local target=$1 dir="$BUILD/$1"
    shift
    local only=""
    [ $# -gt 0 ] && only="--target $*"
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$target.cmake" \
        -DPLATFORM_LOADER="$(loader_for "$target")" -DPLATFORM_PREFIX="$WINEPREFIX" >/dev/null ||
        fail "configuring the $target build failed"
    cmake --build "$dir" -j"$(nproc)" $only >/dev/null || {
        cmake --build "$dir" -j1 $only 2>&1 | grep -E 'error|Error' >&2
        fail "building the $target build failed"
    }
}

STARTED_XVFB=""
stop_all() {
    if [ -d "$WINEPREFIX" ]; then
        $WINESERVER -k 2>/dev/null
        $WINESERVER -w 2>/dev/null
    fi
    [ -n "$STARTED_XVFB" ] && kill "$STARTED_XVFB" 2>/dev/null && wait "$STARTED_XVFB" 2>/dev/null
    return 0
}

start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    STARTED_XVFB=$!
    local number
    read -r -t 20 number <"$fifo" || fail "the virtual display (Xvfb) did not start"
    rm -f "$fifo"
    export DISPLAY=":$number"
}

export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER=/usr/lib/wine/wineserver64

start_platform() {
    trap stop_all EXIT
    trap 'exit 130' INT TERM
    start_display
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the platform prefix in $WINEPREFIX (once, about 15 s)"
        mkdir -p "$BUILD"
        /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
        # With no window manager on the virtual display, the platform
        # draws the windows' frames itself.
        /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        $WINESERVER -w
    fi
    # One server for all the runs of this script saves a start for each.
    # Its service processes start with the first program and live as long
    # as it; started here, they hold no caller's output open.
    $WINESERVER -p
    /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null
}
