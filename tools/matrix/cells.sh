# One cell of the matrix: a run of the checker (and with --survey of the
# survey) on one version, bitness and configuration, as one JSON line; the
# table rows and the progress line are all made from that line. Sourced by
# matrix.sh and by its test.

CHECK_TIMEOUT=60
# The survey's guard closes a modal after SURVEY_TIMEOUT s; twelve kinds,
# each closed at its running checkpoint, take seconds.
SURVEY_TIMEOUT=10
SURVEY_LIMIT=240

# The JSON line of a cell. "check" is the checker's JSON, or null with
# "reason" saying why; "survey" likewise with "surveyReason", and absent
# when the survey was not asked for.
cell_line() {
    local version=$1 bits=$2 config=$3 reason=$4 check=${5:-null} survey=${6:-} survey_reason=${7:-}
    # The programs' JSON comes on stdin: as an argument, a long one would not fit.
    printf '%s\n%s\n' "$check" "${survey:-null}" |
        jq -cs --arg version "$version" --arg release "$(version_label "$version")" \
            --argjson bitness "$bits" --arg config "$config" --arg reason "$reason" \
            --arg asked "${survey:+yes}" --arg surveyReason "$survey_reason" \
            '{version: $version, release: $release, bitness: $bitness, config: $config,
              reason: (if $reason == "" then null else $reason end), check: .[0]}
             + if $asked == "" then {} else {survey: .[1],
                 surveyReason: (if $surveyReason == "" then null else $surveyReason end)} end'
}

# program_json VERSION BITS LIMIT PROGRAM ARGS...: sets PROGRAM_JSON to the
# program's JSON object; else fails, with PROGRAM_JSON saying why there is
# none. It runs in this shell and stoppable, so that an interrupt ends it at
# once; its output goes through files in CELL_FILES, a folder.
PROGRAM_JSON=""
program_json() {
    local version=$1 bits=$2 limit=$3 program=$4 target=i686 status=0 json
    shift 4
    [ "$bits" = 64 ] && target=x86_64
    WINEPREFIX="$MATRIX/$version/prefix" PLATFORM_LIMIT=$limit run_stoppable on_version "$version" \
        "$(version_loader "$version" "$bits")" "$BUILD/$target/bin/$program" "$@" \
        >"$CELL_FILES/output" 2>"$CELL_FILES/errors" || status=$?
    json=$(tr -d '\r' <"$CELL_FILES/output" | grep '^{' | tail -1) || true
    if [ -n "$json" ] && PROGRAM_JSON=$(jq -ce 'if type == "object" then . else error end' 2>/dev/null <<<"$json"); then
        return 0
    fi
    PROGRAM_JSON="no verdict: $(ended_how "$status" "$limit" "$program gave no JSON; $(tr -d '\r' <"$CELL_FILES/errors" | grep -v '^$' | tail -1)")"
    return 1
}

# run_cell VERSION BITS CONFIG [WHY-NOT [SURVEY]]: the cell's JSON line on
# stdout; with SURVEY set, the survey runs too. The platform must be set to
# CONFIG and its server running.
run_cell() {
    local version=$1 bits=$2 config=$3 why_not=${4:-} survey=${5:-}
    local check="null" reason="" survey_json="" survey_reason=""
    if [ -n "$why_not" ]; then
        reason=$why_not
        [ -z "$survey" ] || { survey_json=null survey_reason=$why_not; }
    else
        # The checker bounds its own run; the limit bounds a platform that hangs.
        if program_json "$version" "$bits" $((CHECK_TIMEOUT + 30)) check.exe --json --timeout "$CHECK_TIMEOUT"; then
            check=$PROGRAM_JSON
        else
            reason=$PROGRAM_JSON
        fi
        if [ -z "$survey" ]; then
            :
        elif program_json "$version" "$bits" "$SURVEY_LIMIT" survey.exe --json --timeout "$SURVEY_TIMEOUT"; then
            survey_json=$PROGRAM_JSON
        else
            survey_json=null survey_reason=$PROGRAM_JSON
        fi
    fi
    cell_line "$version" "$bits" "$config" "$reason" "$check" "$survey_json" "$survey_reason"
}

TABLE_HEAD='| Debian | bits | configuration | platform | reports Windows | Open dialog | Font dialog | status | seconds |
|---|---|---|---|---|---|---|---|---|'

cell_row() { jq -r -L "$ROOT/tools/matrix" 'include "rows"; row'; }
cell_progress() { jq -r -L "$ROOT/tools/matrix" 'include "rows"; progress'; }
