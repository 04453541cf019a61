#!/usr/bin/env bash
# The shards' JSON merged into the one run they split, the same command on
# GitLab and GitHub:
#   ci/matrix-merge.sh      reads shard-*.json in the clone's top folder
# prints the matrix's tables and writes, beside them:
#   matrix-tables.md   the tables printed
#   matrix.json        the merged JSON lines
#   matrix.html        the page, with nothing to fetch
#   matrix-junit.xml   a test case per cell, for the CI's test report
#   matrix-summary.md  the grid in Markdown, appended to $GITHUB_STEP_SUMMARY
#                      where GitHub sets it
# MATRIX_BASELINE, an earlier matrix.json, makes any difference fail the job.
# The reports are written even when the merge fails on a cell without a
# verdict (status 3), so that the page and the test report name it.
set -euo pipefail
cd "$(dirname "$0")/.."
source ci/needs.sh
ci_needs
shopt -s nullglob
shards=(shard-*.json)
[ ${#shards[@]} -gt 0 ] || { echo "error: no shard-*.json here: the shard jobs' artifacts are missing" >&2; exit 3; }
args=(--merge "${shards[@]}" --json matrix.json --html matrix.html)
[ -z "${MATRIX_BASELINE:-}" ] || args+=(--baseline "$MATRIX_BASELINE")
# No report of an earlier merge may pass for this one's.
rm -f matrix-tables.md matrix.json matrix.html matrix-junit.xml matrix-summary.md
status=0
tools/matrix.sh "${args[@]}" >matrix-tables.md || status=$?
cat matrix-tables.md
if [ -f matrix.json ]; then
    jq -r -s -L tools/matrix -f tools/matrix/junit.jq matrix.json >matrix-junit.xml
    changes=$(jq -c 'select(has("version"))' matrix.json | jq -r -s -L tools/matrix -f tools/matrix/changes.jq)
    {
        echo "## The capture matrix"
        echo
        # The matrix's closing line counts the cells that ran, were skipped and failed.
        tail -n 1 matrix-tables.md
        echo
        jq -r -s -L tools/matrix -f ci/summary.jq matrix.json
        echo "What changed between neighbouring versions:"
        echo '```'
        printf '%s\n' "${changes:-nothing}"
        echo '```'
    } >matrix-summary.md
    [ -z "${GITHUB_STEP_SUMMARY:-}" ] || cat matrix-summary.md >>"$GITHUB_STEP_SUMMARY"
fi
exit "$status"
