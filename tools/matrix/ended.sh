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

# cannot_start STATUS: whether a program's status says that the platform
# could not run it at all: the kernel or the shell refused it (126, 127),
# the loader died of a signal, or it did not end in time. A program that
# started and then failed has a status of its own.
cannot_start() {
    case "$1" in
        124 | 126 | 127) return 0 ;;
    esac
    [ "$1" -gt 128 ] && [ "$1" -lt 160 ]
}
