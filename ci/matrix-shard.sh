#!/usr/bin/env bash
# One shard of the matrix in CI, the same command on GitLab and GitHub:
#   ci/matrix-shard.sh K N     writes shard-K.json in the clone's top folder
# The cells come from the job's variables, each optional:
#   MATRIX_VERSIONS, MATRIX_CONFIGS, MATRIX_BITS   comma-separated, as
#       tools/matrix.sh takes them (default: all)
#   MATRIX_SURVEY=yes                              run the survey too
#   MATRIX_BUILD                                   the build folder (default: build)
# The job fails (status 3) where a cell gave no verdict; its JSON is still
# written, so the merge names the cell.
set -euo pipefail
cd "$(dirname "$0")/.."
source ci/needs.sh
if ! { [ $# = 2 ] && [[ $1 =~ ^[1-9][0-9]*$ && $2 =~ ^[1-9][0-9]*$ ]] && [ "$1" -le "$2" ]; }; then
    echo "usage: ci/matrix-shard.sh K N (the Kth of N shards, 1 <= K <= N)" >&2
    exit 2
fi
ci_needs
args=(--build "${MATRIX_BUILD:-build}" --shard "$1/$2" --json "shard-$1.json")
[ -z "${MATRIX_VERSIONS:-}" ] || args+=(--versions "$MATRIX_VERSIONS")
[ -z "${MATRIX_CONFIGS:-}" ] || args+=(--configs "$MATRIX_CONFIGS")
[ -z "${MATRIX_BITS:-}" ] || args+=(--bits "$MATRIX_BITS")
[ "${MATRIX_SURVEY:-}" != yes ] || args+=(--survey)
exec tools/matrix.sh "${args[@]}"
