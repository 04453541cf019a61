# A script killed outright (kill -9, as a CI's time-out does) takes its
# running step with it, whatever the moment: before the step starts, as it
# starts, and while it forks. A step that a kill misses lives on and holds
# the script's locks.
source "$(dirname "$0")/helpers.sh"

# The script's step is a shell function, as a build is, with a child and
# a grandchild, whose processes are named by MARK so that only they are
# looked for.
# With "forks", a child of the step starts process after process, as a
# build's make does; with "stubborn", a child answers SIGTERM by starting
# another process, which only a last look below the step finds.
cat >"$WORK/script" <<EOF
source "$ROOT/tools/process.sh"
step() {
    if [ "\$3" = forks ]; then
        for i in \$(seq 2000); do
            (exec -a "\$2" sleep 300) &
            sleep 0.005
        done &
    fi
    [ "\$3" != stubborn ] || (trap '(exec -a "\$2" sleep 300) &' TERM; while :; do sleep 0.05; done) &
    ( (exec -a "\$2" sleep 300) & exec -a "\$2" sleep 300) &
    echo started >"\$1"
    exec -a "\$2" sleep 300
}
run_stoppable step "\$@"
EOF

marked() { grep -laF "$1" /proc/[0-9]*/cmdline 2>/dev/null || true; }
# A step that a kill missed is stopped here, whatever the test found: its
# processes name this test's folder.
stop_left() { local i; for i in 1 2 3; do pkill -KILL -f -- "$WORK/" || true; pkill -KILL -f -- "${contained:-$WORK/}" || true; done; }
trap 'stop_left; stop_child; stop_run; rm -rf "$WORK"' EXIT

# killed_after MARK [forks|stubborn] WAIT...: kills the script once WAIT (a
# command) ends, then expects nothing marked within 15 s.
killed_after() {
    local mark=$1 forks="" i
    shift
    case $1 in forks | stubborn) forks=$1; shift ;; esac
    bash "$WORK/script" "$WORK/$mark.started" "$WORK/$mark" $forks {TICK_FD}>&- 2>/dev/null &
    RUN_PID=$!
    "$@"
    kill -KILL "$RUN_PID"
    wait "$RUN_PID" 2>/dev/null || true
    RUN_PID=""
    for i in $(seq 150); do
        [ -n "$(marked "$WORK/$mark")" ] || return 0
        sleep 0.1
    done
    fail "killed after '$*': its step still runs 15 s later"
}
started() { timeout 60 sh -c 'until [ -s "$1" ]; do sleep 0.01; done' - "$1" || fail "the step did not start within 60 s"; }

for n in 1 2 3 4 5 6 7 8; do
    killed_after "at-once-$n" sleep "0.0$n"
    killed_after "started-$n" stubborn started "$WORK/started-$n.started"
    killed_after "forking-$n" forks sleep "0.$n"
done

# The checker killed outright takes the program it runs with it, as the
# process table shows, even when killed in the midst of starting it (0 to
# 90 ms after the program's process appears; a kill between its creation
# and its joining a job once left it suspended for good, about one time in
# eight): a program left behind would hold the display and the prefix's
# server.
mkdir "$WORK/contained"
cp "$BUILD/x86_64/bin/never_shows.exe" "$WORK/contained/"
contained="$(basename "$WORK").contained.never_shows\.exe"
# The program's processes, not the checker's, whose command line names it.
program() { pgrep -f "$contained" | grep -vx "${RUN_PID:-none}" || true; }
for round in 0 1 2 3 4 5 6 7 8 9; do
    "${ON_PLATFORM[@]}" "$BUILD/x86_64/bin/check.exe" --timeout 600 "$WORK/contained/never_shows.exe" >/dev/null 2>&1 {TICK_FD}>&- &
    RUN_PID=$!
    for i in $(seq 12000); do
        [ -z "$(program)" ] || break
        sleep 0.01
    done
    [ -n "$(program)" ] || fail "the checker's program did not start within 120 s"
    sleep "0.0$round"
    kill -KILL "$RUN_PID"
    wait "$RUN_PID" 2>/dev/null || true
    RUN_PID=""
    for i in $(seq 60); do
        [ -n "$(program)" ] || break
        sleep 0.5
    done
    [ -z "$(program)" ] || fail "30 s after the checker was killed as its program started (round $round), the program still runs: $(program)"
done
