# One cell of the matrix: a run of the checker (and with --survey of the
# survey) on one version, bitness and configuration, as one JSON line; the
# table rows and the progress line are all made from that line. Sourced by
# matrix.sh and by its test.

CHECK_TIMEOUT=60
# The checker bounds its own run; the margin bounds a platform that hangs.
CHECK_MARGIN=30
# The survey's guard closes a modal after SURVEY_TIMEOUT s; twelve kinds,
# each closed at its running checkpoint, take seconds.
SURVEY_TIMEOUT=10
SURVEY_LIMIT=240

# cell_line VERSION BITS CONFIG SKIPPED REASON CHECK SURVEY-ASKED SURVEY
# SURVEY-REASON WALL-SECONDS: the cell's JSON line. CHECK and SURVEY (JSON,
# or empty for null) come on stdin: as arguments, long ones would not fit.
cell_line() {
    local version=$1 bits=$2 config=$3 skipped=$4 reason=$5 check=${6:-null} asked=$7 survey=${8:-null} survey_reason=$9 wall=${10:-}
    printf '%s\n%s\n' "$check" "$survey" |
        jq -cs --arg version "$version" --arg release "$(version_label "$version")" \
            --argjson bitness "$bits" --arg config "$config" --arg skipped "$skipped" --arg reason "$reason" \
            --arg asked "$asked" --arg surveyReason "$survey_reason" --arg wall "$wall" \
            'def text: if . == "" then null else . end;
             {version: $version, release: $release, bitness: $bitness, config: $config,
              skipped: ($skipped | text), reason: ($reason | text), check: .[0]}
             + (if $asked == "" then {} else {survey: .[1], surveyReason: ($surveyReason | text)} end)
             + {wallSeconds: ($wall | text | if . == null then null else tonumber end)}'
}

# skipped_line VERSION BITS CONFIG SURVEY-ASKED REASON
skipped_line() {
    cell_line "$1" "$2" "$3" "$5" "" null "$4" null "" ""
}

# windows_path PATH: PATH as the platform's programs name it. The roots
# see the build folder at the same path, and a prefix's Z: is /.
windows_path() {
    printf 'Z:%s\n' "${1//\//\\}"
}

# program_run VERSION BITS LIMIT OUTPUT PROGRAM ARGS...: the program on the
# version's platform in the slot's prefix, its standard output in OUTPUT
# and its errors in OUTPUT.errors; sets RAN_STATUS. It runs in this shell
# and stoppable, so that an interrupt ends it at once.
RAN_STATUS=0
program_run() {
    local version=$1 bits=$2 limit=$3 output=$4 program=$5 target=i686
    shift 5
    [ "$bits" = 64 ] && target=x86_64
    RAN_STATUS=0
    WINEPREFIX="$(version_dir "$version")/prefix" PLATFORM_LIMIT=$limit run_stoppable on_version "$version" \
        "$(version_loader "$version" "$bits")" "$BUILD/$target/bin/$program" "$@" \
        >"$output" 2>"$output.errors" || RAN_STATUS=$?
}

# last_words OUTPUT LIMIT TEXT: how a program that gave no report ended,
# with the last line it wrote on its standard error.
last_words() {
    local text=$3 words
    words=$(tr -d '\r' <"$1.errors" | grep -v '^$' | tail -1) || true
    ended_how "$RAN_STATUS" "$2" "$text${words:+; $words}"
}

# judged_report FILE FAULT-FUNCTION: the JSON object in FILE, compact, when it
# holds a real judgement; else fails, printing why not.
judged_report() {
    local fault
    if ! [ -s "$1" ] || ! jq -e -s 'length == 1' "$1" >/dev/null 2>&1; then
        echo "its report is missing or not one JSON value"
        return 1
    fi
    fault=$(jq -r -L "$ROOT/tools/matrix" "include \"verdict\"; $2 // empty" "$1")
    [ -z "$fault" ] || { printf '%s\n' "$fault"; return 1; }
    jq -c . "$1"
}

# run_cell VERSION BITS CONFIG DIR [SURVEY]: the cell's JSON line on
# stdout, its programs' reports and output in DIR (a folder of this run's
# own). The platform must be set to CONFIG and its server running.
run_cell() {
    local version=$1 bits=$2 config=$3 dir=$4 survey=${5:-}
    local check="" reason="" survey_json="" survey_reason="" started fault
    started=$EPOCHREALTIME
    mkdir -p "$dir"
    rm -f "$dir/check.json" "$dir/survey.json"
    # Its verdict is read from the report it writes, never from its output.
    program_run "$version" "$bits" $((CHECK_TIMEOUT + CHECK_MARGIN)) "$dir/check.out" check.exe \
        --json="$(windows_path "$dir/check.json")" --timeout "$CHECK_TIMEOUT"
    if check=$(judged_report "$dir/check.json" check_fault); then
        :
    else
        fault=$check check=""
        [ -s "$dir/check.json" ] || fault=$(last_words "$dir/check.out" $((CHECK_TIMEOUT + CHECK_MARGIN)) "it wrote no report")
        reason="the checker gave no verdict: $fault"
    fi
    if [ -n "$survey" ]; then
        program_run "$version" "$bits" "$SURVEY_LIMIT" "$dir/survey.out" survey.exe --json --timeline --timeout "$SURVEY_TIMEOUT"
        tr -d '\r' <"$dir/survey.out" | grep '^{' | tail -1 >"$dir/survey.json" || true
        if survey_json=$(judged_report "$dir/survey.json" survey_fault); then
            :
        else
            fault=$survey_json survey_json=""
            [ -s "$dir/survey.json" ] || fault=$(last_words "$dir/survey.out" "$SURVEY_LIMIT" "it printed no report")
            survey_reason="the survey gave no verdict: $fault"
        fi
    fi
    cell_line "$version" "$bits" "$config" "" "$reason" "$check" "$survey" "$survey_json" "$survey_reason" \
        "$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')"
}

TABLE_HEAD='| Debian | bits | configuration | platform | reports Windows | Open dialog | Font dialog | status | seconds |
|---|---|---|---|---|---|---|---|---|'

cell_row() { jq -r -L "$ROOT/tools/matrix" 'include "rows"; row'; }
cell_progress() { jq -r -L "$ROOT/tools/matrix" 'include "rows"; progress'; }
