# How a platform command that gave no result ended, in the words a cell
# shows. Sourced by matrix.sh and by its test.

# ended_how STATUS LIMIT TEXT: TEXT is the command's own last words. A
# signal's status is the platform crashing (or timeout's KILL, 137, after
# its TERM went unheeded); 124 is timeout's own.
ended_how() {
    local status=$1 limit=$2 text=$3
    if [ "$status" = 124 ] || [ "$status" = 137 ]; then
        echo "it did not end within $limit s"
    elif [ "$status" -gt 128 ] && [ "$status" -lt 160 ]; then
        echo "the platform crashed (SIG$(kill -l $((status - 128))))"
    else
        echo "$text (status $status)"
    fi
}
