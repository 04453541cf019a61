# The platform the programs run on: which loader and server, whether it runs
# 32-bit programs, its prefix, and the display. start_platform sets them up;
# whatever it started is stopped again when the script exits.

DEBIAN_PLATFORMS="/usr/lib/wine /usr/lib/x86_64-linux-gnu/wine"

# choose_loader PATH BITS: the loader in PATH (a loader itself, or a folder
# holding one) for 32- or 64-bit programs. A single loader serves both.
choose_loader() {
    local path=$1 bits=$2
    case $path in */*) ;; *) [ -e "$path" ] || path=$(command -v "$path") || return 1 ;; esac
    if [ -d "$path" ]; then
        [ "$bits" = 64 ] && [ -x "$path/wine64" ] && { printf '%s\n' "$path/wine64"; return 0; }
        [ -x "$path/wine" ] && { printf '%s\n' "$path/wine"; return 0; }
        [ -x "$path/wine64" ] && { printf '%s\n' "$path/wine64"; return 0; }
        return 1
    fi
    [ -f "$path" ] && [ -x "$path" ] || return 1
    printf '%s\n' "$path"
}

# find_wineserver LOADER: the server of the same platform, beside the loader
# or its target (Debian's layouts), or in server/ (a build tree).
find_wineserver() {
    local dir candidate
    for dir in "$(dirname "$1")" "$(dirname "$(readlink -f "$1")")"; do
        for candidate in wineserver64 wineserver server/wineserver; do
            [ -x "$dir/$candidate" ] && [ ! -d "$dir/$candidate" ] && { printf '%s\n' "$dir/$candidate"; return 0; }
        done
    done
    return 1
}

default_platform() {
    local dir
    for dir in $DEBIAN_PLATFORMS; do
        choose_loader "$dir" 64 >/dev/null && { printf '%s\n' "$dir"; return 0; }
    done
    return 1
}

# Sets LOADER32, LOADER64 and WINESERVER from --wine, $WINE or Debian's
# package, in that order.
choose_platform() {
    local where=${WINE_CHOICE:-}
    if [ -z "$where" ]; then
        where=$(default_platform) ||
            step_failed "finding the platform" "install Debian's wine packages (apt-get install wine wine64), or name a platform with --wine"
    fi
    LOADER32=$(choose_loader "$where" 32) && LOADER64=$(choose_loader "$where" 64) ||
        step_failed "finding the platform" "$where is not a loader nor a folder holding one (wine or wine64); give --wine an existing loader"
    LOADER32=$(realpath -s "$LOADER32") LOADER64=$(realpath -s "$LOADER64")
    if [ -z "${WINESERVER:-}" ]; then
        WINESERVER=$(find_wineserver "$LOADER64") ||
            step_failed "finding the platform's server" "no wineserver beside $LOADER64; set WINESERVER to the server of that platform"
    fi
    export WINESERVER
}

# can_run_32bit: whether the platform runs 32-bit programs here, found by
# running the 32-bit checker; any line of its own proves that it started.
# A kernel without 32-bit support, or a platform without a 32-bit side,
# fails this in a fraction of a second.
CAN_RUN_32BIT=""
can_run_32bit() {
    if [ -z "$CAN_RUN_32BIT" ]; then
        local out
        # bash, unlike timeout's exec, names an exec format error as such.
        out=$(timeout 60 bash -c 'exec "$@"' - "$LOADER32" "$BUILD/i686/bin/check.exe" --version 2>&1 8<&- 9>&-) || true
        if grep -q '^check' <<<"$out"; then
            CAN_RUN_32BIT=yes
        else
            CAN_RUN_32BIT="no: $(head -n 1 <<<"$out" | sed "s/^-: line [0-9]*: //")"
        fi
    fi
    [ "$CAN_RUN_32BIT" = yes ]
}

# start_display: the display in $DISPLAY, checked, or a virtual one started
# here when none is set.
STARTED_XVFB=""
start_display() {
    if [ -z "${DISPLAY:-}" ]; then
        local fifo number
        fifo=$(mktemp -u)
        mkfifo "$fifo"
        # Ended with this script even when it is killed and cannot clean up.
        setpriv --pdeathsig TERM Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 8<&- 9>&- &
        STARTED_XVFB=$!
        on_exit stop_display
        read -r -t 20 number <"$fifo" || true
        rm -f "$fifo"
        [ -n "$number" ] || step_failed "starting the virtual display" "check that Xvfb runs: Xvfb -displayfd 1"
        export DISPLAY=":$number"
    fi
    timeout 10 xdpyinfo >/dev/null 2>&1 ||
        step_failed "checking the display" "the display $DISPLAY does not answer; start an X server there, or unset DISPLAY to let the script start a virtual one"
}

stop_display() {
    [ -n "$STARTED_XVFB" ] || return 0
    kill "$STARTED_XVFB" 2>/dev/null
    wait "$STARTED_XVFB" 2>/dev/null
}

window_manager_runs() {
    timeout 10 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# prefix_fault DIR: why the prefix cannot be used, or nothing.
prefix_fault() {
    if [ ! -s "$1/system.reg" ]; then
        echo "its system.reg is missing or empty"
    elif [ ! -d "$1/drive_c" ]; then
        echo "its drive_c folder is missing"
    elif ! head -n 1 "$1/system.reg" | grep -q '^WINE REGISTRY'; then
        echo "its system.reg is not a registry file"
    fi
}

prefix_missing() {
    [ ! -e "$WINEPREFIX" ] || [ -z "$(ls -A "$WINEPREFIX")" ]
}

# A broken prefix of the scripts' own is rebuilt; the user's is left alone.
check_prefix() {
    prefix_missing && return 0
    local fault
    fault=$(prefix_fault "$WINEPREFIX")
    [ -n "$fault" ] || return 0
    if [ -n "${OWN_PREFIX:-}" ]; then
        note "the scripts' prefix $WINEPREFIX is broken ($fault); rebuilding it"
        rm -rf "$WINEPREFIX"
    else
        step_failed "checking the prefix" "$WINEPREFIX is broken ($fault); rebuild it with: rm -rf '$WINEPREFIX' and run again, and the script creates it"
    fi
}

# unmanaged_windows: whether the prefix lets the platform draw the frames
# itself instead of waiting for a window manager.
unmanaged_windows() {
    awk '/^\[/ { inside = ($0 ~ /^\[Software\\\\Wine\\\\X11 Driver\]/) }
         inside && /^"Managed"="N"/ { found = 1 } END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}

# on_platform COMMAND...: a platform program, bounded in time.
on_platform() {
    run_stoppable timeout 120 "$LOADER64" "$@" </dev/null >/dev/null 2>&1 8<&- 9>&-
}

# prefix_setting KEY NAME TYPE DATA: one registry value of a new prefix.
prefix_setting() {
    on_platform reg add "$1" /v "$2" /t "$3" /d "$4" /f ||
        step_failed "setting up the prefix" "run: WINEPREFIX=$WINEPREFIX $LOADER64 reg add '$1' /v $2 /t $3 /d $4 /f"
}

create_prefix() {
    progress "creating the platform prefix in $WINEPREFIX (once, about 20 s)"
    on_platform wineboot --init ||
        step_failed "creating the prefix" "see what $LOADER64 wineboot --init says with WINEPREFIX=$WINEPREFIX"
    # With no window manager on the virtual display, the platform draws the
    # windows' frames itself; managed, each run would wait about 6 s.
    prefix_setting 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
    # A program that crashes ends at once, instead of waiting on a crash
    # dialog that nobody would close.
    prefix_setting 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
}

warn_if_managed() {
    unmanaged_windows || window_manager_runs || note "the prefix $WINEPREFIX lets a window manager place the windows, and none runs on $DISPLAY, so each run waits about 6 s (on the platform's 8.0); to avoid that: WINEPREFIX='$WINEPREFIX' '$LOADER64' reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f"
}

# start_server: one server for all the runs of this script saves a start
# for each. A server that already runs for the prefix (the user's, or a
# calling script's) is used and left running, except in the scripts' own
# prefix, which only a run that was killed can have left it in.
STARTED_SERVER=""
start_server() {
    mkdir -p "$WINEPREFIX"
    on_exit stop_server
    start_own_server && return 0
    [ -n "${OWN_PREFIX:-}" ] || return 0
    note "stopping the platform's server that an earlier, killed run left in $WINEPREFIX"
    timeout 10 "$WINESERVER" -k 2>/dev/null || true
    timeout 10 "$WINESERVER" -w 2>/dev/null || true
    start_own_server ||
        step_failed "starting the platform's server" "another server for $WINEPREFIX does not stop; stop it with: WINEPREFIX='$WINEPREFIX' '$WINESERVER' -k"
}

# start_own_server: starts a server; fails if one already runs for the prefix.
start_own_server() {
    "$WINESERVER" -f -p </dev/null >/dev/null 2>&1 8<&- 9>&- &
    local pid=$! i
    STARTED_SERVER=$pid
    # Ready once its socket is in its own folder, which is its cwd.
    for i in $(seq 100); do
        [ -S "/proc/$pid/cwd/socket" ] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    local what="run '$WINESERVER -f -p' with WINEPREFIX=$WINEPREFIX and see what it says"
    kill -0 "$pid" 2>/dev/null && step_failed "starting the platform's server" "it did not answer within 10 s; $what"
    STARTED_SERVER=""
    # Status 2 is the server's "one already runs for this prefix".
    wait "$pid" && true
    [ $? = 2 ] || step_failed "starting the platform's server" "$what"
    return 1
}

# The server started here takes the prefix's programs (all started by this
# script) with it.
stop_server() {
    [ -n "$STARTED_SERVER" ] || return 0
    kill -0 "$STARTED_SERVER" 2>/dev/null || return 0
    timeout 10 "$WINESERVER" -k 2>/dev/null
    local i
    for i in $(seq 50); do
        kill -0 "$STARTED_SERVER" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$STARTED_SERVER" 2>/dev/null
    wait "$STARTED_SERVER" 2>/dev/null
}

start_platform() {
    start_display
    # A run that shares the prefix would lose its programs when this one
    # stops the server.
    lock_folder 8 "$WINEPREFIX" "the prefix" --prefix
    check_prefix
    local fresh=""
    prefix_missing && fresh=1
    start_server
    if [ -n "$fresh" ]; then
        create_prefix
    else
        warn_if_managed
    fi
    # The platform's own services start with its first program; started
    # here, a failure is told apart from the program's.
    on_platform wineboot ||
        step_failed "starting the platform" "$LOADER64 could not start its services in $WINEPREFIX; try: WINEPREFIX='$WINEPREFIX' '$LOADER64' wineboot"
}
