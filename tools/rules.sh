# The scripts' rules, as pure functions: each reads only its arguments and
# prints its answer, so that tests/scripts/rules.test.sh can hold them to a
# table.

# path_fault PATH: why PATH cannot be handed to CMake, ctest and env as it
# is, or nothing. CMake splits its lists at ';', and its generated scripts
# and the shell read '"', '\', '$' and '`'; env takes a word with '=' for a
# variable, not a program.
path_fault() {
    case $1 in
        *\;*) echo "it holds a ';'" ;;
        *[\"\\\$\`]*) echo "it holds one of \" \\ \$ \`" ;;
        *=*) echo "it holds a '='" ;;
        *[[:cntrl:]]*) echo "it holds a control character" ;;
    esac
}

# seconds_limit VALUE DEFAULT: VALUE read as the checker reads --timeout (a
# C floating-point number, 1e2 and 0x10 included), rounded up to whole
# seconds; DEFAULT where the checker would refuse it.
seconds_limit() {
    local value=$1 whole
    if [[ ! $value =~ ^[[:space:]]*[+]?([0-9]|\.[0-9]|0[xX][0-9a-fA-F.]) ]] ||
        [[ $value =~ [[:space:]]$ ]] ||
        ! printf -v whole '%.3f' "$value" 2>/dev/null ||
        ! awk -v s="$whole" 'BEGIN { exit !(s > 0 && s <= 86400) }'; then
        echo "$2"
        return 0
    fi
    awk -v s="$whole" 'BEGIN { w = int(s); if (w < s) w++; print w }'
}

# kernel_refuses_32bit OUTPUT: whether the 32-bit loader's OUTPUT says that
# the kernel cannot run a 32-bit program at all, as opposed to a 32-bit side
# that starts and then fails.
kernel_refuses_32bit() {
    grep -qi 'exec format error' <<<"$1"
}

# bisect_status STATUS [never]: what run.sh's STATUS means to git bisect
# run: 0 good, 1 bad, 125 no answer at this commit (anything but a
# verdict), 128 no answer at any commit (a usage error, or a step marked
# never, such as a 32-bit build on a kernel without 32-bit), which stops
# the bisection; an interrupt stays an interrupt, which stops it too.
bisect_status() {
    case $1:${2:-} in
        0: | 1:) echo "$1" ;;
        129:* | 130:* | 143:*) echo "$1" ;;
        2:* | *:never) echo 128 ;;
        *) echo 125 ;;
    esac
}

# without_expectations ARGS...: the checker's arguments less --expect and
# --expect-file and their values, each ended by a NUL.
without_expectations() {
    while [ $# -gt 0 ]; do
        case $1 in
            --expect | --expect-file) shift 2 || shift ;;
            --expect=* | --expect-file=*) shift ;;
            *) printf '%s\0' "$1"; shift ;;
        esac
    done
}

# prefix_action MARKER FAULT LOOKS-LIKE-ONE: what to do with an existing
# prefix, from the marker the scripts write into one they create (none,
# creating or complete; none also where the folder or marker is another
# user's), its fault (empty when sound) and whether it looks like a prefix
# at all (yes or no): use, rebuild, refuse (a broken prefix of the user's:
# name the command that rebuilds it) or foreign (not a prefix: no command).
prefix_action() {
    case $1:$([ -n "$2" ] && echo broken || echo sound):$3 in
        creating:*) echo rebuild ;;
        complete:broken:*) echo rebuild ;;
        *:sound:*) echo use ;;
        none:broken:yes) echo refuse ;;
        *) echo foreign ;;
    esac
}
