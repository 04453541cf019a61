# The files the command line names, checked and read before anything runs:
# the baseline and the shards to merge are read once, into memory, so that
# a pipe works and nothing written later can change them; no report may
# overwrite one of them. Sourced by matrix.sh before script.sh, whose
# check_own_options uses it.

words_json() { jq -cn --arg words "$1" '[$words | splits(" ") | select(. != "")]'; }

check_files() {
    local inputs=() input output option fault
    [ -z "$baseline_file" ] || inputs+=("$baseline_file")
    inputs+=("${merge_files[@]}")
    for option in --json --html; do
        output=$json_file
        [ "$option" = --json ] || output=$html_file
        [ -n "$output" ] || continue
        fault=$(writable_place "$output")
        [ -z "$fault" ] || usage_error "$option $output cannot be written: $fault"
        for input in "${inputs[@]}"; do
            ! same_file "$output" "$input" ||
                usage_error "$option $output is the file $input that this run reads, and would overwrite it; give $option another file"
        done
    done
    [ -z "$json_file" ] || [ -z "$html_file" ] || ! same_file "$json_file" "$html_file" ||
        usage_error "--json and --html name the same file, $json_file"
    [ -z "$html_file" ] || [ -f "$ROOT/tools/matrix/html.sh" ] ||
        usage_error "--html needs tools/matrix/html.sh, which this clone lacks"
    [ -n "$baseline_file" ] || return 0
    BASELINE_TEXT=$(cat -- "$baseline_file" 2>/dev/null) || usage_error "--baseline $baseline_file cannot be read"
    jq -e -s 'length > 0 and all(.[]; type == "object" and (has("matrix") or (has("version") and has("bitness") and has("config"))))
              and any(.[]; has("version"))' <<<"$BASELINE_TEXT" >/dev/null 2>&1 ||
        usage_error "--baseline $baseline_file is not the JSON lines of an earlier --json output"
}

# merge_shards: MERGED, the merged run ({header, cells}), from the files
# given to --merge, and RUN_KEYS, its cells; or the error that names what
# keeps them from being one run's shards.
merge_shards() {
    local file text one input="" errors
    for file in "${merge_files[@]}"; do
        text=$(cat -- "$file" 2>/dev/null) || usage_error "--merge: $file cannot be read"
        one=$(jq -c -s --arg file "$file" '{file: $file, lines: .}' <<<"$text" 2>/dev/null) ||
            step_failed "merging the shards" "$file is not JSON lines"
        input+=$one$'\n'
    done
    MERGED=$(jq -c -s -L "$ROOT/tools/matrix" 'include "merge"; merge' <<<"$input") &&
        errors=$(jq -r '.errors // [] | join("; ")' <<<"$MERGED") ||
        step_failed "merging the shards" "jq could not read the files"
    [ -z "$errors" ] || step_failed "merging the shards" "$errors"
    RUN_KEYS=$(jq -r '.header.cells | join(" ")' <<<"$MERGED") &&
        SELECTION=$(jq -c '.header.selection' <<<"$MERGED") ||
        step_failed "merging the shards" "jq could not read the merged cells"
    OTHER_KEYS=""
    SHARD_INDEX=1 SHARD_COUNT=1
}

# match_baseline: the run's cells against the baseline's, known before the
# run: the baseline must share a cell with it and, without
# --allow-partial, hold the same cells (those of other shards aside).
BASELINE_SIDES=""
match_baseline() {
    local only
    BASELINE_SIDES=$(jq -c -s -L "$ROOT/tools/matrix" --argjson run "$(words_json "$RUN_KEYS")" \
        --argjson others "$(words_json "$OTHER_KEYS")" \
        'include "shards"; include "baseline"; sides($run; [.[] | select(has("version")) | key]; $others)' <<<"$BASELINE_TEXT") ||
        step_failed "reading the baseline" "jq could not match its cells"
    jq -e '.shared | length > 0' >/dev/null <<<"$BASELINE_SIDES" ||
        usage_error "--baseline $baseline_file shares no cell with this run; it holds $(jq -r -L "$ROOT/tools/matrix" 'include "results"; .onlyBaseline | map(safe) | join(", ")' <<<"$BASELINE_SIDES"); this run: $(words_json "$RUN_KEYS" | jq -r 'join(", ")')"
    [ -z "$allow_partial" ] || return 0
    only=$(jq -r -L "$ROOT/tools/matrix" 'include "results"; [if .onlyRun != [] then "only in this run: " + (.onlyRun | join(", ")) else empty end,
                   if .onlyBaseline != [] then "only in the baseline: " + (.onlyBaseline | join(", ")) else empty end] | join("; ") | safe' \
        <<<"$BASELINE_SIDES")
    [ -z "$only" ] || usage_error "--baseline $baseline_file does not hold this run's cells ($only); give --allow-partial to compare the cells both hold"
}
