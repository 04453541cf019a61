# The matrix's reports over its cells' JSON lines, each a jq program in
# tools/matrix/, and the run's end: the reports written, then its status.
# Sourced by matrix.sh and by its test.

# report PROGRAM [JQ-OPTIONS...] < cells
report() {
    local program=$1
    shift
    jq -r -s -L "$ROOT/tools/matrix" "$@" -f "$ROOT/tools/matrix/$program.jq"
}

# over_cells JQ-FILTER < lines: the filter over the array of the cells
# (the lines that have a version).
over_cells() {
    jq -r -s -L "$ROOT/tools/matrix" "include \"rows\"; include \"baseline\"; map(select(has(\"version\"))) | $1" "${@:2}"
}

# differences BASELINE-FILE < lines: a line per result that changed from
# the baseline, in a cell both hold.
differences() {
    over_cells 'differences($baseline | map(select(type == "object" and has("version"))))[]' --slurpfile baseline "$1"
}

# the_tables LINES BASELINE-FILE: what a run prints on standard output;
# the same lines always give the same text, so a merge of shards prints
# what the one run would.
the_tables() {
    local lines=$1 baseline=$2 changes compared
    printf '%s\n' "$TABLE_HEAD"
    jq -c 'select(has("version"))' "$lines" | cell_row
    if [ -n "$SURVEY" ]; then
        echo
        jq -c 'select(has("version"))' "$lines" | report survey-table
    fi
    echo
    echo "What changed between neighbouring versions:"
    changes=$(jq -c 'select(has("version"))' "$lines" | report changes)
    printf '%s\n' "${changes:-nothing}"
    if [ -n "$baseline" ]; then
        echo
        printf 'Against the baseline %s:\n' "$(jq -rn --arg f "$baseline_file" 'include "results"; $f | safe' -L "$ROOT/tools/matrix")"
        compared=$(differences "$baseline" <"$lines")
        printf '%s\n' "${compared:-no difference}"
        jq -r -L "$ROOT/tools/matrix" 'include "results";
            (.onlyRun[] | "not in the baseline: \(safe)"), (.onlyBaseline[] | "only in the baseline: \(safe)")' <<<"$BASELINE_SIDES"
    fi
    over_cells closing <"$lines"
}

# print_reports LINES: the --json file and the HTML page written whole,
# then the tables on standard output, every write checked; then the end:
# 3 naming the cells without a verdict, else 1 for a difference from the
# baseline, else 0.
print_reports() {
    local lines=$1 out="$CELL_FILES/stdout" baseline="" failures
    step "printing the tables"
    [ -z "$baseline_file" ] || baseline=$CELL_FILES/baseline.json
    [ -z "$json_file" ] || write_whole "$json_file" "the JSON lines" <"$lines"
    if [ -n "$html_file" ]; then
        html_page <"$lines" >"$CELL_FILES/page.html" ||
            step_failed "making the HTML page" "html_page ended with status $?"
        write_whole "$html_file" "the HTML page" <"$CELL_FILES/page.html"
    fi
    the_tables "$lines" "$baseline" >"$out"
    cat "$out" || step_failed "writing the tables to standard output" "it could not be written whole; see the message above"
    failures=$(over_cells 'failures' <"$lines")
    [ -z "$failures" ] ||
        step_failed "running the cells" "$(wc -l <<<"$failures") of them gave no verdict: ${failures//$'\n'/; }"
    [ -z "$baseline" ] || [ -z "$(differences "$baseline" <"$lines")" ] || finish 1
    finish 0
}
