# The matrix's reports written whole or not at all. Sourced by matrix.sh.

# write_whole FILE WHAT < TEXT: TEXT in FILE, through a temporary file in
# FILE's folder renamed over it, so that a failed write (a full disk)
# leaves no half-written file that reads as whole. A device or a pipe
# (/dev/stdout) is written directly, its write checked. WHAT names the
# report in the error.
write_whole() {
    local file=$1 what=$2 temp
    if [ -e "$file" ] && [ ! -f "$file" ]; then
        cat >"$file" || step_failed "writing $what to $file" "it could not be written whole; see the message above"
        return 0
    fi
    temp=$(mktemp "$(dirname -- "$file")/.$(basename -- "$file").XXXXXX") ||
        step_failed "writing $what to $file" "its folder $(dirname -- "$file") cannot be written"
    if cat >"$temp" && chmod "$(printf '%o' $((0666 & ~$(umask))))" "$temp" && mv -f -- "$temp" "$file"; then
        return 0
    fi
    rm -f -- "$temp"
    step_failed "writing $what to $file" "it could not be written whole (see the message above); it was left as it was"
}

# writable_place FILE: why FILE could not be written at the end of a run,
# or nothing; asked before the run, so a long run does not end unwritten.
writable_place() {
    local folder
    folder=$(dirname -- "$1")
    if [ -d "$1" ]; then
        echo "it is a folder"
    elif [ -e "$1" ] && [ ! -f "$1" ]; then
        [ -w "$1" ] || echo "it cannot be written"
    elif [ ! -d "$folder" ]; then
        echo "its folder $folder does not exist"
    elif [ ! -w "$folder" ] || [ ! -x "$folder" ]; then
        echo "its folder $folder cannot be written"
    fi
}

# same_file A B: whether A and B name one file, by any path (a symbolic
# or hard link, another spelling), or would once written.
same_file() {
    [ "$1" -ef "$2" ] || [ "$(realpath -m -- "$1")" = "$(realpath -m -- "$2")" ]
}
