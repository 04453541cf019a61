# One cell of the matrix: a run of the checker on one version, bitness and
# configuration, as one JSON line; the table row and the progress line are
# both made from that line. Sourced by matrix.sh and by its test.

CHECK_TIMEOUT=60

# The JSON line of a cell that did not run, or whose checker printed no
# verdict: "check" is null and "reason" says why.
cell_line() {
    local version=$1 bits=$2 config=$3 reason=$4 check=${5:-null}
    jq -cn --arg version "$version" --arg release "$(version_label "$version")" \
        --argjson bitness "$bits" --arg config "$config" --arg reason "$reason" --argjson check "$check" \
        '{version: $version, release: $release, bitness: $bitness, config: $config,
          reason: (if $reason == "" then null else $reason end), check: $check}'
}

# run_cell VERSION BITS CONFIG [WHY-NOT]: the cell's JSON line on stdout.
# The platform must be set to CONFIG and its server running.
run_cell() {
    local version=$1 bits=$2 config=$3 why_not=${4:-}
    if [ -n "$why_not" ]; then
        cell_line "$version" "$bits" "$config" "cannot run here: $why_not"
        return 0
    fi
    local target=i686 errors status=0 output json
    [ "$bits" = 64 ] && target=x86_64
    errors=$(mktemp)
    # The checker bounds its own run; this bounds a platform that hangs.
    output=$(WINEPREFIX="$MATRIX/$version/prefix" on_version "$version" \
        timeout -k 10 $((CHECK_TIMEOUT + 30)) "$(version_loader "$version" "$bits")" \
        "$BUILD/$target/bin/check.exe" --json --timeout "$CHECK_TIMEOUT" 2>"$errors" </dev/null) || status=$?
    json=$(printf '%s\n' "$output" | tr -d '\r' | grep '^{' | tail -1)
    if [ -n "$json" ] && jq -e 'type == "object"' >/dev/null 2>&1 <<<"$json"; then
        cell_line "$version" "$bits" "$config" "" "$json"
    else
        cell_line "$version" "$bits" "$config" \
            "no verdict: the checker ended with status $status and no JSON ($(grep -v '^$' "$errors" | tail -1))"
    fi
    rm -f "$errors"
}

CELL_FORMAT='
def verdict: {"released": "released", "held": "HELD", "not_judged": "not judged"}[. // ""] // "?";
def cells: [.release, (.bitness | tostring), .config]
    + if .check == null then [.reason, "–", "–", "–", "–", "–"]
      else .check | [(.platform | if . == null then "?" else .build // "\(.name) \(.version)" end),
                     (.windowsVersion // "?"), (.openFile.verdict | verdict),
                     (.chooseFont.verdict | verdict), (.status | tostring),
                     (.seconds // "?" | tostring)] end;
def row: "| " + (cells | map(tostring | gsub("\\|"; "\\|")) | join(" | ")) + " |";
def progress: if .check == null then "\(.release), \(.bitness)-bit, \(.config): \(.reason)"
    else "\(.release), \(.bitness)-bit, \(.config): Open dialog \(.check.openFile.verdict | verdict), Font dialog \(.check.chooseFont.verdict | verdict), status \(.check.status), \(.check.seconds) s" end;
'

TABLE_HEAD='| Debian | bits | configuration | platform | reports Windows | Open dialog | Font dialog | status | seconds |
|---|---|---|---|---|---|---|---|---|'

cell_row() { jq -r "$CELL_FORMAT row"; }
cell_progress() { jq -r "$CELL_FORMAT progress"; }
