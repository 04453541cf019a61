# The window manager that the openbox configuration runs on the matrix's
# own display. Sourced by matrix.sh.

STARTED_OPENBOX=""
start_openbox() {
    [ -z "$STARTED_OPENBOX" ] || return 0
    # Ended with the shell that started it, even when that shell is killed.
    setpriv --pdeathsig TERM openbox --sm-disable >/dev/null 2>&1 8<&- 9>&- &
    STARTED_OPENBOX=$!
    local i
    for i in $(seq 100); do
        window_manager_runs && return 0
        sleep 0.1
    done
    step_failed "starting openbox" "it did not take the display within 10 s; run: DISPLAY=$DISPLAY openbox"
}

stop_openbox() {
    [ -n "$STARTED_OPENBOX" ] || return 0
    kill "$STARTED_OPENBOX" 2>/dev/null
    wait "$STARTED_OPENBOX" 2>/dev/null
    STARTED_OPENBOX=""
}
