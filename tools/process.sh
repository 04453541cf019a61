# The scripts' child processes: a long step runs as a child that a signal
# to the script ends at once, that dies with the script even when the
# script is killed outright, and that says every 10 s that it still runs.

# Where the ticker and a script's last line write: the script's own
# standard error, even while a step's output goes to a log. The children do
# not get it, so that none left behind holds a pipe that a caller reads.
exec {TICK_FD}>&2
CHILD=""
TICKER_PID=""

# run_child COMMAND...: COMMAND in the background, waited for, so that the
# script's traps act at once. A program gets the TERM signal when the
# script dies; timeout passes it on to the whole process group it makes.
run_child() { child_with_ticker "" "$@"; }

# run_stoppable COMMAND...: run_child, with a line every 10 s while it runs.
run_stoppable() {
    local status=0
    child_with_ticker yes "$@" || status=$?
    stop_ticker
    return $status
}

# child_with_ticker TICKER COMMAND...: run_child, watched by a ticker when
# TICKER is yes (see start_ticker).
child_with_ticker() {
    local ticker=$1 owner=$BASHPID gate run=""
    shift
    # A program takes the step's place, so that the step is the program.
    [ "$(type -t "$1")" != file ] || { set -- setpriv --pdeathsig TERM "$@"; run=exec; }
    if [ -z "$ticker" ]; then
        "$@" {TICK_FD}>&- &
        CHILD=$!
    else
        # The step waits until its ticker is ready to stop it: a script
        # killed in between would leave a step that nothing stops.
        exec {gate}<> <(:)
        { through_gate "$gate" "$owner" && exec {gate}>&- && $run "$@"; } {TICK_FD}>&- &
        CHILD=$!
        start_ticker "$CHILD" "$gate"
        exec {gate}>&-
    fi
    local status=0
    wait "$CHILD" || status=$?
    CHILD=""
    return $status
}

# through_gate FD OWNER: once a line comes on FD; never if OWNER, the
# script, dies first.
through_gate() {
    local me=$BASHPID
    until read -r -t 1 -u "$1" _; do
        child_of "$me" "$2" || exit 143
    done
}

# child_of PID OWNER: whether OWNER is still PID's parent. A script that
# died and that nobody has waited for still answers kill -0.
child_of() { [ "$(ps -o ppid= -p "$1")" -eq "$2" ] 2>/dev/null; }

# start_ticker PID GATE: the ticker of the step PID, which writes a line on
# GATE once it is ready. It says every 10 s that the step still runs, and
# when the script dies, even by kill -9, it stops the step with everything
# below it: a step that is a shell function (a build) would otherwise live
# on, and hold the locks.
start_ticker() {
    # Read here: in the background command, BASHPID would be the ticker's.
    local owner=$BASHPID
    setpriv --pdeathsig TERM bash -c "$(declare -f tree child_of end_tree any_running)$TICKER" ticker "$owner" "${STEP:-the step}" "${QUIET:-}" "$1" "$2" \
        </dev/null 8<&- 9>&- 2>&"$TICK_FD" {TICK_FD}>&- &
    TICKER_PID=$!
}

# The ticker is a program of its own, not a subshell, so that it holds no
# copy of the script's descriptors (the locks among them) and dies with the
# script. It waits with a read that nothing answers, not with sleep, so
# that no process of its own outlives it. The TERM signal comes only when
# the script has died (stop_ticker ends it with KILL).
# shellcheck disable=SC2016
TICKER='
owner=$1 name=$2 quiet=$3 step=$4 gate=$5

orphaned=""
exec {never}<> <(:)
# The trap only takes note: a handler that ran inside read would be cut
# short by the time-out of read, and leave the step half stopped.
trap "orphaned=yes" TERM
echo >&"$gate"
eval "exec $gate>&-"
seconds=0
while [ -z "$orphaned" ] && child_of $$ "$owner"; do
    read -r -t 1 -u "$never" || true
    seconds=$((seconds + 1))
    [ $((seconds % 10)) != 0 ] || [ -n "$quiet" ] || printf "%s\n" "... $name: still running after $seconds s" >&2
done
end_tree "$step"'

stop_ticker() {
    [ -n "$TICKER_PID" ] || return 0
    kill -KILL "$TICKER_PID" 2>/dev/null || true
    wait "$TICKER_PID" 2>/dev/null || true
    TICKER_PID=""
}

# tree PID...: the PIDs and every process below them, a line each, sorted,
# found by parent, so that those in process groups of their own (timeout's)
# are found too. One look at the process table: a step that forks fast
# must not outrun a walk that asks once per process.
tree() {
    ps -e -o pid= -o ppid= | awk -v roots="$*" '
        { below[$2] = below[$2] " " $1 }
        END {
            n = split(roots, queue, " ")
            for (i = 1; i <= n; i++) {
                print queue[i]
                m = split(below[queue[i]], children, " ")
                for (j = 1; j <= m; j++)
                    if (!(children[j] in seen)) { seen[children[j]] = 1; queue[++n] = children[j] }
            }
        }' | sort -n -u
}

# stop_tree PID...: end_tree, and the PIDs waited for.
stop_tree() {
    end_tree "$@"
    wait "$@" 2>/dev/null || true
}

# end_tree PID...: the PIDs and everything below them, frozen first, so
# that none forks a process that the kill would miss, then asked to end
# and, after at most a second, made to.
# shellcheck disable=SC2086
end_tree() {
    local pids more i
    # Each kill may find a process gone; a cleanup under set -e goes on.
    kill -STOP "$@" 2>/dev/null || true
    pids=$(tree "$@")
    # One of them gone (a short-lived child) must not end the freeze early.
    while kill -STOP $pids 2>/dev/null || true; more=$(tree $pids); [ "$more" != "$pids" ]; do
        pids=$more
    done
    kill -TERM $pids 2>/dev/null || true
    kill -CONT $pids 2>/dev/null || true
    for i in 1 2 3 4 5 6 7 8 9 10; do
        any_running $pids || break
        sleep 0.1
    done
    kill -KILL $(tree $pids) 2>/dev/null || true
}

# any_running PID...: whether one of them still runs (a zombie does not).
any_running() {
    local IFS=,
    ps -o stat= -p "$*" 2>/dev/null | grep -qv '^Z'
}

stop_child() {
    [ -z "$CHILD" ] || stop_tree "$CHILD"
    CHILD=""
}
