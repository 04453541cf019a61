# The cells' runs: one slot runs its cells one after another on a display,
# prefixes and servers of its own; with --jobs, several slots run at once,
# each in a shell of its own. Sourced by matrix.sh.

# The slot's own virtual display, so that no window manager runs unless a
# cell starts one, and no other slot's windows share it.
SLOT_XVFB=""
start_slot_display() {
    local fifo="$CELL_FILES/display$SLOT" number=""
    rm -f "$fifo"
    mkfifo "$fifo" || step_failed "starting the virtual display" "$CELL_FILES cannot hold a pipe"
    # Ended with this shell even when it is killed and cannot clean up.
    setpriv --pdeathsig TERM Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 8<&- 9>&- &
    SLOT_XVFB=$!
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$number" ] || step_failed "starting the virtual display" "check that Xvfb runs: Xvfb -displayfd 1"
    export DISPLAY=":$number"
    timeout 10 xdpyinfo >/dev/null 2>&1 ||
        step_failed "checking the display" "the virtual display $DISPLAY does not answer"
}

stop_slot_display() {
    [ -n "$SLOT_XVFB" ] || return 0
    kill "$SLOT_XVFB" 2>/dev/null
    wait "$SLOT_XVFB" 2>/dev/null
    SLOT_XVFB=""
}

SERVING=""
stop_serving() { [ -z "$SERVING" ] || stop_version_server "$SERVING"; SERVING=""; }

# What a slot started, stopped whatever happens; errors are ignored here so
# that the cleanup never stops halfway.
stop_slot() {
    set +e
    stop_ticker
    stop_child
    stop_serving
    stop_openbox
    stop_slot_display
}

# cell_file KEY: where the slot leaves a cell's JSON line.
cell_file() { echo "$CELL_FILES/cells/${1//\//_}.json"; }

# run_slot KEY...: the cells (VERSION/BITS/CONFIG, a version's cells
# together) in this shell, in order.
run_slot() {
    local version="" config="" desktop="" key v b c count=0 label=""
    [ "$JOBS" = 1 ] || label="job $SLOT: "
    start_slot_display
    for key in "$@"; do
        IFS=/ read -r v b c <<<"$key"
        if [ "$v" != "$version" ]; then
            stop_serving
            version=$v config="" desktop=""
            ensure_prefix "$version"
            SERVING=$version
        fi
        if [ "$c" != "$config" ]; then
            config=$c
            apply_config "$version" "$config"
            # The server makes the desktop when its first program starts.
            if [ "$(config_desktop "$config")" != "$desktop" ]; then
                start_version_server "$version"
                desktop=$(config_desktop "$config")
            fi
            if [ "$config" = openbox ]; then start_openbox; else stop_openbox; fi
        fi
        step "running the cell $key"
        run_cell "$version" "$b" "$config" "$CELL_FILES/slot$SLOT/${key//\//_}" "$SURVEY" >"$(cell_file "$key").new"
        mv "$(cell_file "$key").new" "$(cell_file "$key")"
        count=$((count + 1))
        progress "$label[$count/$#] $(cell_progress <"$(cell_file "$key")")"
    done
    stop_serving
    stop_openbox
    stop_slot_display
}

# run_slots JOBS KEY...: the cells shared among JOBS slots, each a
# contiguous share; a slot that fails stops the others.
WORKERS=()
run_slots() {
    local jobs=$1 slot share pid status
    shift
    if [ "$jobs" = 1 ]; then
        # Not in a subshell, which would hold an interrupt until its cell ends.
        on_exit stop_slot
        run_slot "$@"
        return 0
    fi
    on_exit stop_workers
    # The jobs stop before the interrupt's line, so that it stays the last.
    trap 'stop_workers; interrupted 130' INT
    trap 'stop_workers; interrupted 143' TERM
    trap 'stop_workers; interrupted 129' HUP
    for ((slot = 1; slot <= jobs; slot++)); do
        mapfile -t share < <(jq -r -n -L "$ROOT/tools/matrix" --argjson k "$slot" --argjson n "$jobs" \
            'include "shards"; $ARGS.positional | slice($k; $n)[]' --args "$@")
        [ ${#share[@]} -gt 0 ] || continue
        (
            SLOT=$slot
            trap stop_slot EXIT
            trap 'exit 143' TERM
            trap 'exit 130' INT
            trap 'exit 129' HUP
            run_slot "${share[@]}"
        ) &
        WORKERS+=($!)
    done
    while [ ${#WORKERS[@]} -gt 0 ]; do
        status=0
        wait -n -p pid "${WORKERS[@]}" || status=$?
        local left=() worker
        for worker in "${WORKERS[@]}"; do [ "$worker" = "$pid" ] || left+=("$worker"); done
        WORKERS=("${left[@]}")
        [ "$status" = 0 ] || { stop_workers; step_failed "running the cells" "a job ended with status $status; see its error above"; }
    done
    trap 'interrupted 130' INT
    trap 'interrupted 143' TERM
    trap 'interrupted 129' HUP
}

# The slots' shells, and any server a killed slot left in its prefixes.
stop_workers() {
    set +e
    [ ${#WORKERS[@]} = 0 ] || stop_tree "${WORKERS[@]}"
    WORKERS=()
    local slot version
    for ((slot = 1; slot <= JOBS; slot++)); do
        for version in $RUN_VERSIONS; do
            [ ! -d "$(SLOT=$slot version_dir "$version")/prefix" ] || SLOT=$slot stop_version_server "$version"
        done
    done
}
