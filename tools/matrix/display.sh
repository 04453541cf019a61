# The matrix's own virtual display, and the window manager that the
# openbox configuration runs on it. Sourced by matrix.sh.

# A display of its own, so that no window manager runs unless a cell
# asks for one.
start_matrix_display() {
    unset DISPLAY
    start_display
}

STARTED_OPENBOX=""
start_openbox() {
    [ -n "$STARTED_OPENBOX" ] && return 0
    local ready="$MATRIX/openbox.ready"
    rm -f "$ready"
    openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
    STARTED_OPENBOX=$!
    local waited=0
    until [ -f "$ready" ]; do
        [ $waited -lt 100 ] || step_failed "starting openbox" "run: DISPLAY=$DISPLAY openbox"
        sleep 0.1
        waited=$((waited + 1))
    done
}

stop_openbox() {
    [ -n "$STARTED_OPENBOX" ] || return 0
    kill "$STARTED_OPENBOX" 2>/dev/null || true
    rm -f "$MATRIX/openbox.ready"
    wait "$STARTED_OPENBOX" 2>/dev/null || true
    STARTED_OPENBOX=""
}
