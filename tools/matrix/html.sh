#!/usr/bin/env bash
# The matrix's cells as one HTML page. Sourced by matrix.sh; run alone,
# `tools/matrix/html.sh < cells.json > matrix.html`, it needs no clone
# around it but this folder.
HTML_PARTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# html_page < cells > page: the cells' JSON lines (a --json output, or
# several joined) as a page with its style inline and nothing to fetch.
# The change lines are changes.jq's, the same text as the matrix prints.
html_page() {
    local cells changes
    cells=$(cat) || return 2
    # A run's header line is no cell.
    changes=$(jq -c 'select(type == "object" and has("version"))' <<<"$cells" |
        jq -r -s -L "$HTML_PARTS" -f "$HTML_PARTS/changes.jq") || return 2
    jq -r -s -L "$HTML_PARTS" --arg changes "$changes" --rawfile css "$HTML_PARTS/html.css" \
        -f "$HTML_PARTS/html.jq" <<<"$cells"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    html_page
fi
