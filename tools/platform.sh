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
    step "finding the platform"
    local where=${WINE_CHOICE:-}
    if [ -z "$where" ]; then
        where=$(default_platform) ||
            step_failed "finding the platform" "install Debian's wine packages (apt-get install wine wine64), or name a platform with --wine"
    fi
    LOADER32=$(choose_loader "$where" 32) && LOADER64=$(choose_loader "$where" 64) ||
        step_failed "finding the platform" "$where is not a loader nor a folder holding one (wine or wine64); give --wine an existing loader"
    LOADER32=$(realpath -s "$LOADER32") LOADER64=$(realpath -s "$LOADER64")
    local loader fault
    for loader in "$LOADER32" "$LOADER64"; do
        fault=$(path_fault "$loader")
        [ -z "$fault" ] || step_failed "finding the platform" "the loader $loader cannot be used: $fault; give --wine another path to it"
    done
    check_loader "$LOADER64"
    if [ -z "${WINESERVER:-}" ]; then
        WINESERVER=$(find_wineserver "$LOADER64") ||
            step_failed "finding the platform's server" "no wineserver beside $LOADER64; set WINESERVER to the server of that platform"
    fi
    export WINESERVER
}

# check_loader LOADER: a platform's loader says what it is, "wine-" and its
# version; anything else is refused before it is trusted with a prefix.
check_loader() {
    local said status=0
    said=$(timeout -k 5 30 bash -c 'exec "$1" --version' - "$1" </dev/null 2>&1 8<&- 9>&-) || status=$?
    [[ $said =~ ^wine-[0-9] ]] && return 0
    [ -n "$said" ] || said="nothing"
    step_failed "finding the platform" "$1 is not a platform's loader: asked for its --version, it said $(terminal_text "$(head -c 200 <<<"$said" | head -n 1)") (status $status); give --wine a platform's wine loader, or a folder that holds one"
}

# platform_runs_32bit: whether the platform's 32-bit side works, found by
# running the 32-bit checker; any line of its own proves that it started.
# Asked only where the kernel runs 32-bit programs (kernel_runs_32bit), so
# that a failure here is the platform's fault, never a reason to skip.
# PLATFORM_32BIT is then yes, or "no: " and the first line the loader said.
PLATFORM_32BIT=""
platform_runs_32bit() {
    if [ -z "$PLATFORM_32BIT" ]; then
        local out="$BUILD/i686/32-bit.log" status=0
        step "running a 32-bit program"
        # bash, unlike timeout's exec, names an exec format error as such.
        run_child timeout -k 5 60 bash -c 'exec "$@"' - "$LOADER32" "$BUILD/i686/bin/check.exe" --version \
            </dev/null >"$out" 2>&1 8<&- 9>&- || status=$?
        if grep -q '^check' "$out"; then
            PLATFORM_32BIT=yes
        elif [ "$status" = 124 ]; then
            PLATFORM_32BIT="no: it did not answer within 60 s"
        elif ! grep -q . "$out"; then
            PLATFORM_32BIT="no: it ended with status $status and said nothing"
        else
            PLATFORM_32BIT="no: $(grep -m 1 . "$out" | sed "s/^-: line [0-9]*: //" | tr -d '\r')"
        fi
    fi
    [ "$PLATFORM_32BIT" = yes ]
}

# why_32bit_fails: the 32-bit loader's words, and where they are kept.
why_32bit_fails() {
    printf '%s (see %s)\n' "${PLATFORM_32BIT#no: }" "$BUILD/i686/32-bit.log"
}

# start_display: the display in $DISPLAY, checked, or a virtual one started
# here when none is set.
STARTED_XVFB=""
start_display() {
    step "starting the virtual display"
    if [ -z "${DISPLAY:-}" ]; then
        local fifo number
        fifo="$BUILD/.display-number"
        rm -f "$fifo"
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
    step "checking the display"
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

# The scripts mark a prefix they create: "creating" before anything else,
# "complete" once it is set up and its server has stopped. Only a prefix so
# marked, a folder of the user's own, is ever deleted by them.
PREFIX_MARKER=.made-by-capture-scripts

# prefix_marker DIR: none, creating or complete.
prefix_marker() {
    local file="$1/$PREFIX_MARKER"
    if [ -d "$1" ] && [ ! -L "$1" ] && [ -O "$1" ] && [ -f "$file" ] && [ ! -L "$file" ] && [ -O "$file" ]; then
        [ "$(head -n 1 "$file")" = complete ] && echo complete || echo creating
    else
        echo none
    fi
}

mark_prefix() {
    printf '%s\n' "$1" >"$WINEPREFIX/$PREFIX_MARKER.new" &&
        mv -f "$WINEPREFIX/$PREFIX_MARKER.new" "$WINEPREFIX/$PREFIX_MARKER"
}

looks_like_prefix() {
    [ -e "$1/system.reg" ] || [ -e "$1/drive_c" ] || [ -e "$1/dosdevices" ] && echo yes || echo no
}

# platform_programs_in DIR [ORPHANS]: the platform's programs (its loaders,
# preloaders and server) of this user that run in the prefix DIR; with
# ORPHANS, only those that a run of these scripts started and that outlived
# it (each carries the run's CAPTURE_SCRIPT_RUN).
platform_programs_in() {
    local p environ run
    for p in /proc/[0-9]*; do
        [ -O "$p" ] || continue
        case $(basename "$(readlink "$p/exe" 2>/dev/null)") in wine*) ;; *) continue ;; esac
        environ=$({ tr '\0' '\n' <"$p/environ"; } 2>/dev/null) || continue
        grep -qxF "WINEPREFIX=$1" <<<"$environ" || continue
        if [ -n "${2:-}" ]; then
            run=$(sed -n 's/^CAPTURE_SCRIPT_RUN=//p' <<<"$environ")
            [ -n "$run" ] && ! kill -0 "$run" 2>/dev/null || continue
        fi
        echo "${p#/proc/}"
    done
    return 0
}

# stop_leftovers: a run that was killed can leave the platform's programs
# running in its prefix, with or without their server. A run that holds the
# prefix on its own stops them before it uses or removes it: in a prefix
# the scripts made, every one; in the user's own, only those a killed run
# of these scripts started. A calling run's are left alone.
stop_leftovers() {
    ! prefix_shared || return 0
    local pids own=""
    [ "$(prefix_marker "$WINEPREFIX")" = none ] || own=1
    pids=$(platform_programs_in "$WINEPREFIX" "${own:-orphans}")
    [ -n "$pids" ] || return 0
    note "stopping $(wc -w <<<"$pids") of the platform's programs that an earlier, killed run left in $WINEPREFIX"
    [ -z "$own" ] || timeout 10 "$WINESERVER" -k </dev/null >/dev/null 2>&1 8<&- 9>&- || true
    # shellcheck disable=SC2086
    stop_tree $pids
}

# remove_own_prefix: deletes the scripts' own prefix.
remove_own_prefix() {
    [ "$(prefix_marker "$WINEPREFIX")" != none ] ||
        step_failed "removing the prefix" "$WINEPREFIX no longer carries the scripts' mark; it is left alone"
    rm -rf --one-file-system "$WINEPREFIX" ||
        step_failed "removing the prefix" "$WINEPREFIX could not be removed entirely; see the messages above"
}

check_prefix() {
    step "checking the prefix"
    prefix_missing && return 0
    stop_leftovers
    local fault action
    fault=$(prefix_fault "$WINEPREFIX")
    action=$(prefix_action "$(prefix_marker "$WINEPREFIX")" "$fault" "$(looks_like_prefix "$WINEPREFIX")")
    case $action in
        use) ;;
        rebuild)
            note "the scripts' prefix $WINEPREFIX is ${fault:+broken ($fault)}${fault:-half-made (a run that was creating it was interrupted)}; rebuilding it"
            remove_own_prefix ;;
        refuse)
            step_failed "checking the prefix" "$WINEPREFIX is broken ($fault); it was not made by these scripts, so they leave it alone; rebuild it with: rm -rf $(printf %q "$WINEPREFIX") and run again, and the script creates it" ;;
        *)
            step_failed "checking the prefix" "$WINEPREFIX is not a platform prefix (no system.reg, drive_c or dosdevices in it); give --prefix a prefix, or a new or empty folder" ;;
    esac
}

# unmanaged_windows: whether the prefix lets the platform draw the frames
# itself instead of waiting for a window manager.
unmanaged_windows() {
    awk '/^\[/ { inside = ($0 ~ /^\[Software\\\\Wine\\\\X11 Driver\]/) }
         inside && /^"Managed"="N"/ { found = 1 } END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}

# on_platform LIMIT COMMAND...: a platform program, bounded in time. Its
# own messages go to PLATFORM_LOG, which the error lines point to.
PLATFORM_LOG=""
on_platform() {
    local limit=$1 status=0
    shift
    printf '== %s\n' "$*" >>"$PLATFORM_LOG"
    run_stoppable timeout -k 5 "$limit" "$LOADER64" "$@" </dev/null >>"$PLATFORM_LOG" 2>&1 8<&- 9>&- || status=$?
    case $status in
        0) ;;
        124 | 137) PLATFORM_FAILURE="it did not end within $limit s" ;;
        *) PLATFORM_FAILURE="it ended with status $status" ;;
    esac
    return $status
}

# platform_step STEP LIMIT WHAT-TO-DO COMMAND...
platform_step() {
    local name=$1 limit=$2 todo=$3
    shift 3
    step "$name"
    on_platform "$limit" "$@" ||
        step_failed "$name" "$LOADER64 $1: $PLATFORM_FAILURE; its messages are in $PLATFORM_LOG; $todo"
}

# prefix_setting KEY NAME TYPE DATA: one registry value of a new prefix.
prefix_setting() {
    platform_step "setting up the prefix" 60 "run: WINEPREFIX=$(printf %q "$WINEPREFIX") $(printf %q "$LOADER64") reg add '$1' /v $2 /t $3 /d $4 /f" \
        reg add "$1" /v "$2" /t "$3" /d "$4" /f
}

# create_prefix: marked as being created first and complete last, once its
# server has stopped and so written the registry, so that a prefix whose
# creation was interrupted is known as half-made.
create_prefix() {
    progress "creating the platform prefix in $WINEPREFIX (once, about 20 s)"
    mkdir -p "$WINEPREFIX"
    mark_prefix creating || step_failed "creating the prefix" "$WINEPREFIX cannot be written"
    platform_step "creating the prefix" 180 "remove the half-made prefix and see what wineboot --init says there" wineboot --init
    # With no window manager on the virtual display, the platform draws the
    # windows' frames itself; managed, each run would wait about 6 s.
    prefix_setting 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
    # A program that crashes ends at once, instead of waiting on a crash
    # dialog that nobody would close.
    prefix_setting 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
    stop_server
    # Only what the platform made counts: a loader that did nothing must not
    # leave a prefix marked as whole.
    local fault
    fault=$(prefix_fault "$WINEPREFIX")
    [ -z "$fault" ] || step_failed "creating the prefix" "the platform did not make a prefix in $WINEPREFIX: $fault; its messages are in $PLATFORM_LOG"
    mark_prefix complete || step_failed "creating the prefix" "$WINEPREFIX cannot be written"
    start_server
}

warn_if_managed() {
    unmanaged_windows || window_manager_runs || note "the prefix $WINEPREFIX lets a window manager place the windows, and none runs on $DISPLAY, so each run waits about 6 s (on the platform's 8.0); to avoid that: WINEPREFIX=$(printf %q "$WINEPREFIX") $(printf %q "$LOADER64") reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f"
}

# start_server: one server for all the runs of this script saves a start
# for each. A server that already runs for the prefix (the user's, or a
# calling script's) is used and left running, except in a prefix the
# scripts made, which only a run that was killed can have left it in.
STARTED_SERVER=""
start_server() {
    step "starting the platform's server"
    on_exit stop_server
    start_own_server && return 0
    ! prefix_shared && [ "$(prefix_marker "$WINEPREFIX")" != none ] || return 0
    note "stopping the platform's server that an earlier, killed run left in $WINEPREFIX"
    timeout 10 "$WINESERVER" -k </dev/null >/dev/null 2>&1 8<&- 9>&- || true
    timeout 10 "$WINESERVER" -w </dev/null >/dev/null 2>&1 8<&- 9>&- || true
    start_own_server ||
        step_failed "starting the platform's server" "another server for $WINEPREFIX does not stop; stop it with: WINEPREFIX=$(printf %q "$WINEPREFIX") $(printf %q "$WINESERVER") -k"
}

# start_own_server: starts a server; fails if one already runs for the
# prefix. The server ends when the script dies, even when it is killed.
start_own_server() {
    setpriv --pdeathsig TERM "$WINESERVER" -f -p </dev/null >>"$PLATFORM_LOG" 2>&1 8<&- 9>&- &
    local pid=$! i
    STARTED_SERVER=$pid
    # Ready once it listens on the socket in its own folder, which is its
    # cwd: the socket file alone may be one that a server killed with
    # SIGKILL left there, which this one has yet to replace.
    for i in $(seq 100); do
        [ -S "/proc/$pid/cwd/socket" ] && server_listens "$pid" && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    local what="its messages are in $PLATFORM_LOG"
    kill -0 "$pid" 2>/dev/null && step_failed "starting the platform's server" "it did not answer within 10 s; $what"
    STARTED_SERVER=""
    # Status 2 is the server's "one already runs for this prefix".
    wait "$pid" && true
    [ $? = 2 ] || step_failed "starting the platform's server" "$what"
    return 1
}

# server_listens PID: whether PID listens on a Unix socket bound as
# "socket", the name the server gives its own.
server_listens() {
    local inodes
    inodes=$(find "/proc/$1/fd" -lname 'socket:*' -printf '%l\n' 2>/dev/null | tr -dc '0-9\n')
    [ -n "$inodes" ] && awk -v want="$inodes" '
        BEGIN { n = split(want, a, "\n"); for (i = 1; i <= n; i++) ours[a[i]] = 1 }
        $4 == "00010000" && $8 == "socket" && ($7 in ours) { found = 1 }
        END { exit !found }' /proc/net/unix
}

# The server started here takes the prefix's programs (all started by this
# script) with it.
stop_server() {
    [ -n "$STARTED_SERVER" ] || return 0
    if kill -0 "$STARTED_SERVER" 2>/dev/null; then
        # Its end, not the asking program's, is what counts.
        timeout 10 "$WINESERVER" -k </dev/null >/dev/null 2>&1 8<&- 9>&- &
        local asking=$! i
        for i in $(seq 100); do
            kill -0 "$STARTED_SERVER" 2>/dev/null || break
            sleep 0.05
        done
        kill -9 "$STARTED_SERVER" 2>/dev/null || true
        wait "$asking" 2>/dev/null || true
    fi
    wait "$STARTED_SERVER" 2>/dev/null || true
    STARTED_SERVER=""
}

start_platform() {
    start_display
    PLATFORM_LOG="$BUILD/platform.log"
    : >"$PLATFORM_LOG"
    check_prefix
    local fresh=""
    prefix_missing && fresh=1
    mkdir -p "$WINEPREFIX"
    start_server
    if [ -n "$fresh" ]; then
        create_prefix
    else
        warn_if_managed
    fi
    # The platform's own services start with its first program; started
    # here, a failure is told apart from the program's.
    platform_step "starting the platform" 120 "try: WINEPREFIX=$(printf %q "$WINEPREFIX") $(printf %q "$LOADER64") wineboot" wineboot
}
