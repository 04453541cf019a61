# The README's quick start works as pasted: it is short, every sh block in
# it runs from the clone's root with the status it promises, and the sample
# output's verdict lines are those of a real run.
source "$(dirname "$0")/helpers.sh"
readme=$ROOT/README.md
quick=$(sed '/^## Reference/,$d' "$readme")
[ "$(wc -l <<<"$quick")" -le 150 ] || fail "the quick start is $(wc -l <<<"$quick") lines long, over 150"

# The sh blocks, in order, each ended by a NUL.
mapfile -d '' blocks < <(awk '/^```sh$/ { inside = 1; block = ""; next }
    inside && /^```$/ { inside = 0; printf "%s%c", block, 0; next }
    inside { block = block $0 "\n" }' <<<"$quick")
# The status each block promises, in the same order.
statuses=(0 0 "0|1")
[ "${#blocks[@]}" = "${#statuses[@]}" ] ||
    fail "the quick start has ${#blocks[@]} sh blocks, and this test knows the statuses of ${#statuses[@]}"

# They build in the clone's own folder: only a run that uses it may run them.
[ "$BUILD" = "$ROOT/build" ] ||
    skip_row "they build in the clone's build folder, and this run uses another" "the README's commands" || exit 0
# What the commands write in the clone (the gate's reports) is theirs, not
# the user's: it goes again once they have run.
made_here() { git -C "$ROOT" ls-files --others --exclude-standard 2>/dev/null | sort; }
made_before=$(made_here)
remove_made() {
    local f
    while read -r f; do
        [ -z "$f" ] || rm -f -- "$ROOT/$f" || true
    done < <(comm -13 <(printf '%s\n' "$made_before") <(made_here))
}
trap 'stop_child; stop_run; rm -rf "$WORK"; remove_made || true' EXIT
for i in "${!blocks[@]}"; do
    (cd "$ROOT" && expect_run "${statuses[i]}" 1800 bash -c "${blocks[i]}")
    cp "$WORK/out" "$WORK/out.$i"
    cp "$WORK/err" "$WORK/err.$i"
done

# The first block's first command is tools/run.sh: the sample's verdicts
# are the ones it gives.
verdicts() { grep -E '^(Open|Font) dialog \(' "$@" | sed 's/window [0-9a-f]\{8\}/window W/g'; }
sample=$(awk '/^```text$/ { n++; next } n == 1 && /^```$/ { exit } n == 1' <<<"$quick")
[ -n "$(verdicts <<<"$sample")" ] || fail "the sample output has no verdict lines"
[ "$(verdicts <<<"$sample")" = "$(verdicts "$WORK/out.0")" ] ||
    fail "the sample's verdicts are not a real run's:"$'\n'"$(verdicts <<<"$sample")"$'\n'"--- real:"$'\n'"$(verdicts "$WORK/out.0")"
