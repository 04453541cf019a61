# The matrix as a script: a cell's verdict read from the checker's own
# report (with stand-in loaders), the command lines refused before any lock,
# one real run on the host's platform with the survey against a baseline
# read from a pipe, its merge, and a run whose checker gives no verdict.
# The Debian roots are not built here; the rules have their own test.
source "$(dirname "$0")/helpers.sh"
# What matrix.sh gives the parts it sources.
progress() { :; }; run_stoppable() { "$@"; }; step_failed() { fail "$1 failed: $2"; }
CELL_FILES=$WORK
for part in selection roots platforms windows configs ended cells reports; do source "$ROOT/tools/matrix/$part.sh"; done

expect_text() { [ "$2" = "$3" ] || fail "$1:"$'\n'"--- got"$'\n'"$2"$'\n'"--- wanted"$'\n'"$3"; }

# A stand-in loader: $1 is the program, and the checker's report goes where
# its --json=Z:\… names; BODY may call report JSON.
loader() {
    printf '#!/bin/bash\nreport() { local a p; for a; do case $a in --json=Z:*) p=${a#--json=Z:}; p=${p//\\\\//} ;; esac; done; printf "%%s\\n" "$1" >"$p"; }\n%s\n' "$2" >"$WORK/$1"
    chmod +x "$WORK/$1"
}
good='{"checker": "2.0.0", "platform": {"name": "Wine", "version": "8.0"}, "probe": "both", "status": 1, "openFile": {"verdict": "held"}, "chooseFont": {"verdict": "released"}}'
survey='{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "kinds": [{"kind": "font", "verdict": "held"}]}'
loader hanging 'exec sleep 60'
loader printing "case \$1 in *check.exe) echo '$good'; echo 'it only printed' >&2 ;; *) echo '$survey' ;; esac"
loader empty "case \$1 in *check.exe) report '{}' \"\$@\" ;; *) echo '$survey' ;; esac"
loader unjudged "case \$1 in *check.exe) report '$(jq -c '.openFile.verdict = "not_judged"' <<<"$good")' \"\$@\" ;; esac; exit 2"
# shellcheck disable=SC2016
loader long 'log=$(head -c 300000 /dev/zero | tr "\0" x)
good='"'$good'"' survey='"'$survey'"'
case $1 in *check.exe) report "${good%\}}, \"log\": \"$log\"}" "$@" ;; *) printf "%s\n" "${survey%\}}, \"log\": \"$log\"}" ;; esac'
MATRIX=$WORK/matrix
mkdir -p "$MATRIX/host"
# cell_of LOADER [SURVEY]: the cell's line, its 64-bit side on LOADER.
cell_of() { LOADER64=$WORK/$1 run_cell host 64 winxp "$WORK/cell-$1" "${2:-}"; }
# A checker that hangs is ended at its limit, its cell an error.
started=$SECONDS
CHECK_TIMEOUT=1 CHECK_MARGIN=0 cell_of hanging >"$WORK/cell.json"
[ $((SECONDS - started)) -le 8 ] || fail "a hanging platform was ended after $((SECONDS - started)) s, not 1 s"
expect_text "a hanging checker" "$(jq -r '[.reason, .check, .skipped] | map(tostring) | join(" | ")' "$WORK/cell.json")" \
    "the checker gave no verdict: it did not end within 1 s | null | null"
# Its verdict is read from its report file, never from what it prints.
expect_text "a checker that only prints" "$(cell_of printing yes | jq -r '[.reason, .check, .surveyReason, .survey.kinds[0].verdict] | map(tostring) | join(" | ")')" \
    "the checker gave no verdict: it wrote no report; it only printed (status 0) | null | null | held"
expect_text "an empty report" "$(cell_of empty | jq -r .reason)" "the checker gave no verdict: its report names no checker"
expect_text "a probe not judged, no survey output" "$(cell_of unjudged yes | jq -r '[.reason, .surveyReason] | join(" | ")')" \
    "the checker gave no verdict: Open dialog not judged | the survey gave no verdict: it printed no report (status 2)"
# A long report is kept whole.
cell_of long yes >"$WORK/long.json"
jq -e '([.check.log, .survey.log] | map(length)) == [300000, 300000] and .reason == null and .surveyReason == null' "$WORK/long.json" >/dev/null ||
    fail "a long report: $(head -c 300 "$WORK/long.json")"

# The script refuses what it would not use before any lock: a run that
# holds the build folder makes a later check wait, so each must come first.
printf '%s\n' "$(jq -c '.config = "winxp" | .version = "host" | .bitness = 64 | .release = "Debian 12 (host)"' <<<'{}')" >"$WORK/one.json"
ln "$WORK/one.json" "$WORK/hard.json"
ln -s "$WORK/one.json" "$WORK/soft.json"
while IFS='@' read -r args said; do
    # shellcheck disable=SC2086
    expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --no-wait $args
    expect_said "$said"
done <<TABLE
--versions bogus@unknown version: bogus
--versions host --bits 16@unknown bitness: 16
--configs winxp,,nope@unknown configuration: nope
--shard 3/2@--shard takes K/N
--shard 0/2@--shard takes K/N
--jobs 0@--jobs takes a number of jobs from 1 to 99
--prefix $WORK/prefix@--prefix is not used
--merge@--merge needs the shards' --json files
--merge $WORK/one.json --survey@--merge takes the cells from its files; --survey does not go with it
--versions host --baseline $WORK/missing.json@--baseline $WORK/missing.json cannot be read
--versions host --json $WORK/hard.json --baseline $WORK/one.json@--json $WORK/hard.json is the file $WORK/one.json
--versions host --json $WORK/soft.json --baseline $WORK/one.json@--json $WORK/soft.json is the file $WORK/one.json
--versions host --json $WORK/../${WORK##*/}/one.json --baseline $WORK/hard.json@is the file $WORK/hard.json that this run reads
--versions host --configs win7 --baseline $WORK/one.json@shares no cell with this run; it holds host/64/winxp; this run: host/32/win7, host/64/win7
--versions host --configs winxp --baseline $WORK/one.json@does not hold this run's cells (only in this run: host/32/winxp); give --allow-partial
--versions host --json $WORK/no/such/folder/x.json@cannot be written: its folder $WORK/no/such/folder does not exist
TABLE
for bad in '{"not": "a cell"}' ''; do
    printf '%s\n' "$bad" >"$WORK/bad.json"
    expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --no-wait --versions host --baseline "$WORK/bad.json"
    expect_said "--baseline $WORK/bad.json is not the JSON lines of an earlier --json output"
done
cmp -s "$WORK/one.json" "$WORK/hard.json" || fail "the baseline was overwritten"

# One real run on the host's platform (through stand-in loaders that log
# each call), with the survey, against a baseline in a pipe in which the
# Font dialog was HELD. winxp: the platform reports Windows 5.1.2600 or
# 5.2.3790, as major.minor.build. Where the kernel runs no 32-bit program,
# the 32-bit cell is skipped and nothing 32-bit is tried.
standin_platform "$WORK/platform"
cell() { jq -cn --argjson bits "$1" '{version: "host", release: "x", bitness: $bits, config: "winxp", skipped: null, reason: null,
    check: {checker: "2.0.0", platform: {name: "Wine", version: "8.0"}, probe: "both", openFile: {verdict: "held"}, chooseFont: {verdict: "held"}}}'; }
{ cell 32; cell 64; } >"$WORK/baseline.json"
expect_run 1 600 "$ROOT/tools/matrix.sh" --build "$BUILD" --wine "$WORK/platform" --quiet \
    --versions host --configs winxp --survey --json "$WORK/run.json" --baseline <(cat "$WORK/baseline.json")
cp "$WORK/out" "$WORK/run.out"
ran='.reason == null and .skipped == null and .check.status == 1 and .check.openFile.verdict == "held" and .check.chooseFont.verdict == "released"
     and (.check.windowsVersion | test("^5\\.[12]\\.(2600|3790)$")) and .surveyReason == null
     and ([.survey.kinds[] | select(.kind == "font") | .verdict] | . == ["released_late"] or . == ["released"])'
if kernel_runs_32bit; then
    ran32=$ran closing="2 cells: 2 ran, 0 skipped, 0 failed"
else
    ran32='.skipped == "the kernel cannot run 32-bit programs" and .check == null and .survey == null and .reason == null'
    closing="2 cells: 1 ran, 1 skipped (the kernel cannot run 32-bit programs), 0 failed"
    ! grep -F 'i686/bin' "$WORK/platform/calls" || fail "a 32-bit program was tried on a kernel that cannot run it"
fi
jq -s -e "(.[0] | .matrix == 1 and .shard == {index: 1, count: 1} and .cells == [\"host/32/winxp\", \"host/64/winxp\"]
           and .selection == {versions: [\"host\"], bits: [32, 64], configs: [\"winxp\"], survey: true})
          and (.[1:] | map(.bitness) == [32, 64] and all(.[]; .version == \"host\" and .config == \"winxp\")
               and all(.[]; if .bitness == 64 then $ran else $ran32 end))" "$WORK/run.json" >/dev/null ||
    fail "the cells: $(cat "$WORK/run.json")"
for line in '\| host \([^|]+\) \| 64 \| winxp \| [^|]+ \| 5\.[0-9.]+ \| HELD \| released \| 1 \| [0-9.]+ \|' \
    '\| font \| [^|]+ \| released(_late)? \|' 'host \([^|]+\), 64-bit, winxp: Font dialog HELD → released'; do
    grep -qE "^$line\$" "$WORK/run.out" || fail "no line $line in: $(cat "$WORK/run.out")"
done
[ "$(tail -n 1 "$WORK/run.out")" = "$closing" ] || fail "the last line is not $closing: $(tail -n 1 "$WORK/run.out")"
expect_nothing_left_in "$BUILD/matrix/host/prefix"

# Its shards, cut from its file, merge into what it printed, with the same
# status; the pipe's baseline was read whole. Each write is checked.
for k in 1 2; do
    jq -c --argjson k $k 'if has("matrix") then .shard = {index: $k, count: 2} | .cells = .cells[$k - 1:$k]
                          elif .bitness == 32 * $k then . else empty end' "$WORK/run.json" >"$WORK/shard$k.json"
done
expect_run 1 60 "$ROOT/tools/matrix.sh" --build "$BUILD" --merge "$WORK/shard2.json" "$WORK/shard1.json" \
    --baseline <(cat "$WORK/baseline.json") --json "$WORK/merged.json"
diff "$WORK/run.out" "$WORK/out" >&2 || fail "the merge printed otherwise than the run"
cmp -s <(tail -n +2 "$WORK/run.json") <(tail -n +2 "$WORK/merged.json") || fail "the merged cells differ from the run's"
expect_run 3 60 "$ROOT/tools/matrix.sh" --build "$BUILD" --merge "$WORK/shard1.json"
expect_said "error: merging the shards failed: shard 2/2 is missing (its cells: host/64/winxp)"
expect_run 3 60 bash -c '"$@" >/dev/full' - "$ROOT/tools/matrix.sh" --build "$BUILD" --merge "$WORK/run.json"
expect_said "error: writing the tables to standard output failed"
expect_run 3 60 "$ROOT/tools/matrix.sh" --build "$BUILD" --merge "$WORK/run.json" --json /dev/full
expect_said "error: writing the JSON lines to /dev/full failed"

# A checker that gives no verdict makes the run's status 3, naming the
# cell, whatever it printed.
STANDIN_CHECK="echo '$good'; exit 0" expect_run 3 600 "$ROOT/tools/matrix.sh" --build "$BUILD" --wine "$WORK/platform" --quiet \
    --versions host --configs winxp --bits 64
expect_said "error: running the cells failed: 1 of them gave no verdict: "
expect_said ", 64-bit, winxp: the checker gave no verdict: it wrote no report (status 0)"
grep -qxF "1 cell: 0 ran, 0 skipped, 1 failed" "$WORK/out" || fail "no closing line in: $(cat "$WORK/out")"
expect_nothing_left_in "$BUILD/matrix/host/prefix"
