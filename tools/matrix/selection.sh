# Which cells a run holds: the selection on the command line, the shard of
# it, and the line that describes the run in its --json file. Sourced by
# matrix.sh before script.sh, whose check_own_options uses it.

# A usage error ends the script from this shell only: these run in
# check_own_options, not in a command substitution.

# choose VARIABLE NAME LIST ALLOWED: VARIABLE set to the words of ALLOWED
# that the comma-separated LIST names, in ALLOWED's order.
choose() {
    local item picked=""
    for item in ${3//,/ }; do
        [[ " $4 " == *" $item "* ]] || usage_error "unknown $2: $item (known: $4)"
    done
    for item in $4; do
        [[ ",$3," != *",$item,"* ]] || picked="$picked $item"
    done
    [ -n "$picked" ] || usage_error "no $2 chosen"
    printf -v "$1" '%s' "${picked# }"
}

# selection_json VERSIONS BITS CONFIGS SURVEY (each a list of words): the
# selection as the --json header holds it.
selection_json() {
    jq -cn --arg versions "$1" --arg bits "$2" --arg configs "$3" --arg survey "$4" \
        'def words: [splits(" ") | select(. != "")];
         {versions: ($versions | words), bits: ($bits | words | map(tonumber)), configs: ($configs | words),
          survey: ($survey != "")}'
}

# choose_shard K/N: SHARD_INDEX and SHARD_COUNT; 1 and 1 without --shard.
choose_shard() {
    SHARD_INDEX=1 SHARD_COUNT=1
    [ -n "$1" ] || return 0
    [[ $1 =~ ^([1-9][0-9]{0,3})/([1-9][0-9]{0,3})$ ]] && [ "${BASH_REMATCH[1]}" -le "${BASH_REMATCH[2]}" ] ||
        usage_error "--shard takes K/N, two whole numbers with 1 <= K <= N (at most 9999), not $1"
    SHARD_INDEX=${BASH_REMATCH[1]} SHARD_COUNT=${BASH_REMATCH[2]}
}

# run_keys SELECTION K N: the keys of the cells shard K of N runs, in order.
run_keys() {
    jq -r -L "$ROOT/tools/matrix" --argjson k "$2" --argjson n "$3" \
        'include "shards"; selection_keys | slice($k; $n)[]' <<<"$1" | xargs
}

# other_keys SELECTION K N: the selection's cells that other shards run.
other_keys() {
    jq -r -L "$ROOT/tools/matrix" --argjson k "$2" --argjson n "$3" \
        'include "shards"; selection_keys | . - slice($k; $n) | .[]' <<<"$1" | xargs
}

cell_bits() { local key=${1#*/}; echo "${key%%/*}"; }

# project_commit: the commit this clone's scripts and programs come from,
# marked when the tracked files differ from it, so that shards made from
# different code are not merged.
project_commit() {
    local commit
    commit=$(git -C "$ROOT" rev-parse HEAD 2>/dev/null) || { echo unknown; return 0; }
    git -C "$ROOT" diff --quiet HEAD -- 2>/dev/null || commit="$commit-dirty"
    echo "$commit"
}

# run_header SELECTION K N KEYS: the --json file's first line.
run_header() {
    jq -cn --argjson selection "$1" --argjson k "$2" --argjson n "$3" --arg keys "$4" --arg commit "$(project_commit)" \
        '{matrix: 1, commit: $commit, selection: $selection, shard: {index: $k, count: $n},
          cells: [$keys | splits(" ") | select(. != "")]}'
}
