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

# The bytes of $ARGV[0] as characters in $s: each byte that is not part of
# well-formed UTF-8 (overlong forms, surrogates and code points above
# U+10FFFF included) becomes U+FFFD.
AS_CHARACTERS='
    no warnings;
    my $s = $ARGV[0];
    $s =~ s/([\x00-\x7F]|[\xC2-\xDF][\x80-\xBF]|\xE0[\xA0-\xBF][\x80-\xBF]|[\xE1-\xEC\xEE\xEF][\x80-\xBF]{2}|\xED[\x80-\x9F][\x80-\xBF]|\xF0[\x90-\xBF][\x80-\xBF]{2}|[\xF1-\xF3][\x80-\xBF]{3}|\xF4[\x80-\x8F][\x80-\xBF]{2})|./defined $1 ? $1 : "\xEF\xBF\xBD"/gse;
    utf8::decode($s);'

# xml_text TEXT: TEXT for an XML attribute or element: characters that XML
# cannot hold become U+FFFD; markup and line ends are escaped, so that a
# message stays one attribute.
xml_text() {
    perl -CO -e "$AS_CHARACTERS"'
        $s =~ s/[^\x09\x0A\x0D\x20-\x{D7FF}\x{E000}-\x{FFFD}\x{10000}-\x{10FFFF}]/\x{FFFD}/g;
        $s =~ s/&/&amp;/g; $s =~ s/</&lt;/g; $s =~ s/>/&gt;/g; $s =~ s/"/&quot;/g; $s =~ s/\x27/&apos;/g;
        $s =~ s/\t/&#9;/g; $s =~ s/\n/&#10;/g; $s =~ s/\r/&#13;/g;
        print $s' -- "$1"
}

# terminal_text TEXT: TEXT that a terminal shows and does not obey: control
# characters (C0 but tab and line end, DEL and C1) become U+FFFD.
terminal_text() {
    perl -CO -e "$AS_CHARACTERS"'
        $s =~ s/[\x00-\x08\x0B-\x1F\x7F-\x9F]/\x{FFFD}/g;
        print $s' -- "$1"
}

# report_fault PROGRAM STATUS FILE: why FILE is not the JSON report of a
# judgement by PROGRAM (check or survey) of a run that ended with STATUS,
# or nothing. A status alone never passes for a verdict.
report_fault() {
    if [ ! -s "$3" ]; then
        echo "it wrote no JSON report (status $2)"
    elif ! jq -rs --arg program "$1" --argjson status "$2" -f "$ROOT/tools/report-fault.jq" "$3" 2>/dev/null; then
        echo "its JSON report does not parse (status $2)"
    fi
}

# json_report_choice ARGS...: where the checker's arguments send its JSON
# report, as the checker reads them: "stdout", "file PATH" (--json=PATH, or
# --json followed by a name ending in .json) or "none". The last --json
# counts; -- ends the options.
json_report_choice() {
    local choice=none
    while [ $# -gt 0 ]; do
        case $1 in
            --) break ;;
            --json=*) choice="file ${1#--json=}" ;;
            --json) if [[ ${2:-} == *.json ]]; then choice="file $2"; shift; else choice=stdout; fi ;;
            --junit | --screenshot | --timeout | --probe | --unjudged-status | --expect | --expect-file) shift ;;
        esac
        shift
    done
    echo "$choice"
}

# judges_nothing ARGS...: the first of the checker's arguments that make it
# print something and judge no run (--help, -h, /?, --version), or nothing.
judges_nothing() {
    local arg
    for arg in "$@"; do
        case $arg in
            --) return 0 ;;
            --help | -h | /? | --version) echo "$arg"; return 0 ;;
        esac
    done
}
