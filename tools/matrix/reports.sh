# The matrix's reports over its cells' JSON lines, each a jq program in
# tools/matrix/. Sourced by matrix.sh and by its test.

# report PROGRAM [JQ-OPTIONS...] < cells
report() {
    local program=$1
    shift
    jq -r -s -L "$ROOT/tools/matrix" "$@" -f "$ROOT/tools/matrix/$program.jq"
}

# compare_baseline FILE < cells: a line per difference from FILE, an earlier
# run's cells, then a line per cell found on one side only. Status 1 when a
# cell differs, 2 when they could not be compared.
compare_baseline() {
    local compared
    compared=$(report baseline --slurpfile baseline "$1" -c) &&
        jq -r '(.differences | if length == 0 then "no difference" else .[] end), .missing[]' <<<"$compared" ||
        return 2
    jq -e '.differences | length == 0' >/dev/null <<<"$compared"
}
