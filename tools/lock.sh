# One run at a time uses a build folder or a prefix. Each lock is a file of
# the scripts' own in a folder that only the user can open, so that no
# other user can take it and hold the runs; waiting for one has a limit.

LOCK_WAIT=1800
LOCK_DIR="/tmp/capture-scripts-$(id -u)"

lock_dir_ready() {
    mkdir -m 700 "$LOCK_DIR" 2>/dev/null || true
    [ -d "$LOCK_DIR" ] && [ ! -L "$LOCK_DIR" ] && [ -O "$LOCK_DIR" ] &&
        [ "$(stat -c %a "$LOCK_DIR")" = 700 ] ||
        step_failed "preparing the locks" "$LOCK_DIR, where the scripts keep their locks, is not a folder of this user's that only this user can open; have it removed"
}

lock_file() {
    printf '%s/%s.lock\n' "$LOCK_DIR" "$(printf '%s' "$1" | sha256sum | cut -c1-32)"
}

# lock_holder FILE: the process that has held FILE open longest, named.
lock_holder() {
    local fd pid oldest="" oldest_start="" start
    for fd in $(find /proc/[0-9]*/fd -maxdepth 1 -lname "$1" 2>/dev/null); do
        pid=${fd#/proc/}
        pid=${pid%%/*}
        [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] || continue
        start=$(awk '{ print $22 }' "/proc/$pid/stat" 2>/dev/null) || continue
        if [ -z "$oldest" ] || [ "$start" -lt "$oldest_start" ]; then
            oldest=$pid oldest_start=$start
        fi
    done
    if [ -z "$oldest" ]; then
        echo "a process that cannot be seen"
    else
        printf 'process %s: %s\n' "$oldest" "$(tr '\0' ' ' <"/proc/$oldest/cmdline" 2>/dev/null | tr -d '[:cntrl:]' | sed 's/ $//' | cut -c1-120)"
    fi
}

# lock_folder FD DIR WHAT OPTION: takes DIR's lock on descriptor FD (the
# build folder on 9, the prefix on 8). A script that a locked run starts
# (the script tests do) inherits the descriptor and so shares the lock
# instead of waiting for its own parent; SHARED_LOCKS then lists FD, and
# what runs in DIR belongs to the parent.
SHARED_LOCKS=""
lock_folder() {
    local fd=$1 dir=$2 what=$3 option=$4 file
    lock_dir_ready
    file=$(lock_file "$dir")
    if [ -e "/proc/self/fd/$fd" ] &&
        [ "$(stat -L -c %d:%i "/proc/self/fd/$fd")" = "$(stat -c %d:%i "$file" 2>/dev/null)" ]; then
        SHARED_LOCKS="$SHARED_LOCKS $fd"
        return 0
    fi
    eval "exec $fd>>\"\$file\"" || step_failed "locking $what" "$file cannot be opened"
    flock -n "$fd" && return 0
    local holder
    holder=$(lock_holder "$file")
    [ -z "$NO_WAIT" ] ||
        step_failed "locking $what" "another run ($holder) is using $dir; wait for it to end, or give another with $option"
    # The step first: one who reads the line and interrupts the wait is told
    # that the wait was interrupted.
    step "waiting for $what"
    say "waiting for another run ($holder) that uses $dir to end, at most $LOCK_WAIT s"
    run_stoppable flock -w "$LOCK_WAIT" "$fd" ||
        step_failed "locking $what" "$dir was still in use after $LOCK_WAIT s, by $holder"
}

# prefix_shared: whether a calling run holds the prefix, and so owns what
# runs in it.
prefix_shared() { [[ " $SHARED_LOCKS " == *" 8 "* ]]; }
