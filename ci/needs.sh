# What the CI scripts need before tools/matrix.sh can install the rest
# itself: jq, with which it reads its options and the shards' files before
# it installs anything. A fresh container (debian:bookworm) lacks it.
# Sourced by matrix-shard.sh and matrix-merge.sh.
ci_needs() {
    command -v jq >/dev/null && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "error: jq is missing; run as root: apt-get update && apt-get install -y jq" >&2
        exit 3
    fi
    echo "installing jq" >&2
    apt-get update -qq >&2 && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq jq >&2 ||
        { echo "error: installing jq failed; see apt-get's messages above" >&2; exit 3; }
}
