# The matrix's rules on fixed cells, each held to a table: which cells a
# selection and a shard hold, the merge of shards, the baseline's matching
# keys and differences, a cell's state, row and closing line, what counts
# as a verdict, and hostile text. Nothing here runs the platform.
source "$(dirname "$0")/helpers.sh"
progress() { :; }
for part in selection platforms windows ended cells reports; do source "$ROOT/tools/matrix/$part.sh"; done

expect_text() { [ "$2" = "$3" ] || fail "$1:"$'\n'"--- got"$'\n'"$2"$'\n'"--- wanted"$'\n'"$3"; }
rule() { jq -r -n -L "$ROOT/tools/matrix" "include \"shards\"; include \"baseline\"; include \"merge\"; include \"rows\"; include \"verdict\"; $1" "${@:2}"; }

# The default Windows version, from the registry of a new prefix.
for case in 5.1,2600,winxp 6.1,7601,win7 6.3,9600,win81 10,19043,win10 10,22000,win11 10,-,win10 7.0,1, -,-,; do
    IFS=, read -r version build want <<<"$case"
    expect_text "windows_name $version $build" "$(windows_name "$version" "$build")" "$want"
done
registry() { printf '%s\n' 'WINE REGISTRY Version 2' '' "$@" | registry_windows; }
key='[Software\\Microsoft\\Windows NT\\CurrentVersion] 1796748109'
expect_text "10.0's registry: the major number, not 6.3" "$(registry "$key" '"CurrentBuildNumber"="19043"' \
    '"CurrentMajorVersionNumber"=dword:0000000a' '"CurrentVersion"="6.3"')" win10
expect_text "another key's version" "$(registry '[Software\\Wine] 1' '"CurrentVersion"="5.1"' '' "$key" \
    '"CurrentVersion"="6.1"' '' '[Software\\Microsoft\\Windows NT\\CurrentVersion\\Other] 1' '"CurrentVersion"="5.1"')" win7

for case in "124:it did not end within 90 s" "137:it did not end within 90 s" \
    "134:the platform crashed (SIGABRT)" "3:its words (status 3)"; do
    expect_text "ended_how ${case%%:*}" "$(ended_how "${case%%:*}" 90 "its words")" "${case#*:}"
done

# A selection's cells: version, then configuration, then bitness.
expect_text "a selection's cells" "$(rule '{versions: ["bullseye", "host"], bits: [32, 64], configs: ["winxp", "desktop"]} | selection_keys | join(" ")')" \
    "bullseye/32/winxp bullseye/64/winxp bullseye/32/desktop bullseye/64/desktop host/32/winxp host/64/winxp host/32/desktop host/64/desktop"

# The shard split, for every count of cells and shards up to a size: every
# cell in exactly one shard, in order, and no shard more than one cell
# larger than another.
split_faults=$(rule '[range(0; 14) as $t | range(1; 7) as $n | [range($t)] as $cells
    | [range(1; $n + 1) as $k | $cells | slice($k; $n)] as $shards
    | select(($shards | add) != $cells
             or (($shards | map(length) | max) - ($shards | map(length) | min)) > 1)
    | "\($t) cells in \($n) shards: \($shards)"] | .[]')
[ -z "$split_faults" ] || fail "the shard split: $split_faults"
# The full matrix: with 4 or 2 shards, no shard holds more than the
# versions it must; with 16, a version's cells are 4 shards' whole.
all='{versions: ["bullseye", "host", "trixie", "sid"], bits: [32, 64], configs: ["unmanaged", "openbox", "winxp", "win7", "win10", "desktop"]}'
for case in 4:1,1,1,1 2:2,2 3:2,2,2 16:1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1 5:1,2,2,2,1; do
    expect_text "versions in each of ${case%%:*} shards" \
        "$(rule "$all"' | selection_keys as $c | [range(1; $n + 1) as $k | $c | slice($k; $n) | map(split("/")[0]) | unique | length] | join(",")' \
            --argjson n "${case%%:*}")" "${case#*:}"
done
expect_text "shard 2 of 3 of 7 cells" "$(rule '[range(7)] | slice(2; 3) | join(",")')" "2,3"

# Fixed cells: three versions, a skipped 32-bit side, one cell without a
# verdict, one version whose cells disagree, and a timeline that could not
# be recorded beside one that was, for the same kind in the same version.
cell() { # VERSION RELEASE BITS CONFIG PLATFORM OPEN FONT KIND:VERDICT:INIT:RUNNING:AFTER[:CAUSE:PHASE[:CLASS]]...; PLATFORM "-": skipped, "!": no verdict; CAUSE "-": no timeline
    jq -cn --args '$ARGS.positional as [$version, $release, $bits, $config, $platform, $open, $font]
        | def holder: {holder: ., class: null};
        {version: $version, release: $release, bitness: ($bits | tonumber), config: $config, skipped: null, reason: null}
        + if $platform == "-" then {check: null, survey: null, skipped: "the kernel cannot run 32-bit programs", surveyReason: null}
          elif $platform == "!" then {check: null, survey: null, reason: "the checker gave no verdict: it", surveyReason: "the survey gave no verdict: it"}
          else {check: {checker: "2.0.0", platform: {name: "Wine", version: $platform, build: "wine-\($platform)"}, windowsVersion: "6.1.7601",
                        probe: "both", status: 1, seconds: 1.5, openFile: {verdict: $open}, chooseFont: {verdict: $font}},
                survey: {survey: 1, platform: {name: "Wine", version: $platform}, kinds: [$ARGS.positional[7:][] | split(":") | {kind: .[0], verdict: .[1],
                         init: (.[2] | holder), running: (.[3] | holder), after: (.[4] | holder)}
                         + if length < 6 then {} elif .[5] == "-" then {timeline: {error: "it could not record", release: null}}
                           else {timeline: {release: {cause: .[5], phase: .[6], class: .[7]}}} end]},
                surveyReason: null} end
        + {wallSeconds: 2.5}' "$@"
}
kept=held:holder:holder:holder late=released_late:holder:nobody:nobody free=released:nobody:nobody:nobody
menu=$free:taken:init:#32768
{
    cell bullseye "Debian 11" 32 unmanaged 5.0.3 held held font:$kept:never:unknown message_box:$kept popup_menu:$menu
    cell bullseye "Debian 11" 64 unmanaged 5.0.3 held held font:$kept:never:unknown message_box:$kept popup_menu:$menu
    cell host "Debian 12 (host)" 32 unmanaged - - -
    cell host "Debian 12 (host)" 64 unmanaged 8.0 held released font:$late:cancel_mode:init message_box:$late:cancel_mode:init popup_menu:$menu
    cell trixie "Debian 13" 32 unmanaged 10.0 held released font:$late:cancel_mode:init message_box:$free:cancel_mode:init popup_menu:$menu
    cell trixie "Debian 13" 64 win10 10.0 held released font:$late:capture_changed:running message_box:$late:- popup_menu:$menu
    cell sid "Debian unstable" 32 unmanaged - - -
    cell sid "Debian unstable" 64 unmanaged ! - -
} >"$WORK/cells.json"

# A cell's state, row and the closing line.
expect_text "states" "$(jq -r -L "$ROOT/tools/matrix" 'include "results"; state' "$WORK/cells.json" | xargs)" \
    "ran ran skipped ran ran ran skipped error"
expect_text "the state of a cell whose survey, asked for, gave nothing" \
    "$(sed -n 4p "$WORK/cells.json" | jq -r -L "$ROOT/tools/matrix" 'include "results"; .survey = null | state')" error
expect_text "rows" "$(sed -n '2,3p;8p' "$WORK/cells.json" | cell_row)" \
'| Debian 11 | 64 | unmanaged | wine-5.0.3 | 6.1.7601 | HELD | HELD | 1 | 1.5 |
| Debian 12 (host) | 32 | unmanaged | skipped: the kernel cannot run 32-bit programs | – | – | – | skipped | – |
| Debian unstable | 64 | unmanaged | the checker gave no verdict: it; the survey gave no verdict: it | – | – | – | error | – |'
expect_text "progress of a skipped cell" "$(sed -n 3p "$WORK/cells.json" | cell_progress)" \
    "Debian 12 (host), 32-bit, unmanaged: skipped: the kernel cannot run 32-bit programs"
expect_text "the closing line" "$(over_cells closing <"$WORK/cells.json")" \
    "8 cells: 5 ran, 2 skipped (the kernel cannot run 32-bit programs), 1 failed"
expect_text "the failures" "$(over_cells failures <"$WORK/cells.json")" \
    "Debian unstable, 64-bit, unmanaged: the checker gave no verdict: it; the survey gave no verdict: it"
expect_text "no cell" "$(over_cells closing </dev/null)" "0 cells: 0 ran, 0 skipped, 0 failed"

# Skipped cells and cells without a verdict change nothing.
expect_text "what changed" "$(report changes <"$WORK/cells.json")" \
'Font dialog: HELD on Debian 11 (5.0.3) → released on Debian 12 (host, 8.0)
survey font: held on Debian 11 (5.0.3) → released_late on Debian 12 (host, 8.0)
survey message_box: held on Debian 11 (5.0.3) → released_late on Debian 12 (host, 8.0)
survey message_box: released_late on Debian 12 (host, 8.0) → mixed: released ×1, released_late ×1 on Debian 13 (10.0)
survey font release: never released on Debian 11 (5.0.3) → released by WM_CANCELMODE during initialisation on Debian 12 (host, 8.0)
survey font release: released by WM_CANCELMODE during initialisation on Debian 12 (host, 8.0) → mixed: released by WM_CANCELMODE during initialisation ×1, released by WM_CAPTURECHANGED alone while it ran ×1 on Debian 13 (10.0)'

expect_text "the survey's table" "$(report survey-table <"$WORK/cells.json")" \
'| kind | Debian 11, 32-bit | Debian 11, 64-bit | Debian 12 (host), 32-bit | Debian 12 (host), 64-bit | Debian 13, 32-bit | Debian 13, 64-bit | Debian unstable, 32-bit | Debian unstable, 64-bit |
|---|---|---|---|---|---|---|---|---|
| font | held (holder → holder → holder) | held (holder → holder → holder) | – | released_late (holder → nobody → nobody) | released_late (holder → nobody → nobody) | released_late (holder → nobody → nobody) | – | – |
| message_box | held (holder → holder → holder) | held (holder → holder → holder) | – | released_late (holder → nobody → nobody) | released (nobody → nobody → nobody) | released_late (holder → nobody → nobody) | – | – |
| popup_menu | released | released | – | released | released | released | – | – |'

# What a checker's report must hold to be a verdict: its name, the
# platform, and a verdict for each probe that counts.
good='{"checker": "2.0.0", "platform": {"name": "Wine", "version": "8.0"}, "probe": "both", "openFile": {"verdict": "held"}, "chooseFont": {"verdict": "released"}}'
while IFS='@' read -r change want; do
    expect_text "check_fault of $change" "$(rule "$good | $change | check_fault // \"verdict\"")" "$want"
done <<'TABLE'
.@verdict
.probe = "font" | .openFile.verdict = "not_judged"@verdict
.probe = "open" | .openFile.verdict = "not_judged" | .chooseFont.verdict = "held"@Open dialog not judged
.chooseFont = {verdict: "not_judged", reason: "no window"} | .error = "it crashed"@Font dialog not judged (no window); it crashed
del(.openFile)@Open dialog ?
.status = 2 | .error = "TEST.exe ended with exit code 3"@its run failed: TEST.exe ended with exit code 3
.error = ""@verdict
.openFile.verdict = "HELD"@Open dialog ?
.checker = ""@its report names no checker
del(.checker)@its report names no checker
.platform = {name: "Wine"}@its report names no platform
.platform = "Wine 8.0"@its report names no platform
.probe = "all"@its report names no probe that counts
{}@its report names no checker
[.]@its report is not a JSON object
"{}"@its report is not a JSON object
TABLE
# Only one whole report is one: two reports in a file are none.
printf '%s\n' "$good" "$good" >"$WORK/two.json"
expect_text "two reports in one file" "$(judged_report "$WORK/two.json" check_fault)" "its report is missing or not one JSON value"
printf '%s\n' "$good" >"$WORK/one.json"
expect_text "one report" "$(judged_report "$WORK/one.json" check_fault)" "$(jq -c . <<<"$good")"

# A cell's state: one dialog HELD makes the cell HELD; a run that failed,
# or a dialog not judged beside a release, leaves an error.
while IFS='@' read -r change want; do
    expect_text "cell_state of $change" "$(jq -r -n -L "$ROOT/tools/matrix" --argjson good "$good" \
        "include \"states\"; {version: \"host\", bitness: 64, config: \"unmanaged\", check: \$good} | $change | cell_state")" "$want"
done <<'TABLE'
.@held
.check.chooseFont.verdict = "held" | .check.openFile.verdict = "released"@held
.check.openFile.verdict = "released"@released
.check.openFile.verdict = "not_judged"@error
.check.openFile.verdict = "not_judged" | .check.chooseFont.verdict = "held"@held
.check.error = "it crashed"@error
.skipped = "the kernel cannot run 32-bit programs"@skipped
.check = null | .reason = "the checker gave no verdict: it"@error
TABLE
while IFS='@' read -r report want; do
    expect_text "survey_fault of $report" "$(rule "$report | survey_fault // \"verdict\"")" "$want"
done <<'TABLE'
{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "kinds": [{"kind": "font", "verdict": "held"}]}@verdict
{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "kinds": []}@its report holds no kind
{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "kinds": [{"kind": "font"}, {"kind": "dialog", "verdict": ""}]}@font has no verdict, dialog has no verdict
{"platform": {"name": "Wine", "version": "8.0"}, "kinds": [{"kind": "font", "verdict": "held"}]}@its report names no survey
TABLE

# The baseline's cells against the run's, by key; another shard's cells
# are on neither side.
while IFS='|' read -r run baseline others want; do
    expect_text "sides of $run against $baseline" "$(rule 'def w: [splits(",") | select(. != "")];
        sides($run | w; $baseline | w; $others | w) | [.shared, .onlyRun, .onlyBaseline] | map(join(",")) | join("|")' \
        --arg run "$run" --arg baseline "$baseline" --arg others "$others")" "$want"
done <<'TABLE'
a,b|a,b||a,b||
a,b|b,c||b|a|c
a,b|c,d|||a,b|c,d
a|a,b|b|a||
a|a,b,c|b|a||c
|a||||a
TABLE

# compared BASELINE < CELLS: the differences from the baseline.
compared() { over_cells 'differences($baseline | map(select(type == "object" and has("version"))))[]' --slurpfile baseline "$1"; }
# A verdict that changed in a cell and in a survey kind, a checker that
# gave none, a cell skipped now and one skipped before.
jq -c 'if .version == "trixie" and .bitness == 64 then .check.chooseFont.verdict = "held"
       elif .version == "trixie" then .survey.kinds[1].verdict = "held"
       elif .version == "host" and .bitness == 64 then .check = null | .reason = "the checker gave no verdict: it"
       elif .version == "bullseye" and .bitness == 32 then .check = null | .survey = null | .skipped = "the kernel cannot run 32-bit programs"
       elif .version == "host" then .skipped = null | .check = {openFile: {verdict: "released"}, chooseFont: {verdict: "released"}}
       else . end' "$WORK/cells.json" >"$WORK/now.json"
expect_text "against a baseline" "$(compared "$WORK/cells.json" <"$WORK/now.json")" \
'Debian 12 (host), 64-bit, unmanaged: Open dialog HELD → no verdict
Debian 12 (host), 64-bit, unmanaged: Font dialog released → no verdict
Debian 13, 32-bit, unmanaged: survey message_box released → held
Debian 13, 64-bit, win10: Font dialog released → HELD'
expect_text "against a baseline without the survey" \
    "$(jq -c 'del(.survey, .surveyReason)' "$WORK/cells.json" | compared "$WORK/cells.json")" ""
expect_text "a baseline with a header line" "$({ echo '{"matrix": 1}'; cat "$WORK/cells.json"; } >"$WORK/headed.json"; compared "$WORK/headed.json" <"$WORK/now.json" | wc -l)" 4

# Shards' files, made as the script makes them, merged.
selection='{"versions": ["bullseye", "host", "trixie", "sid"], "bits": [32, 64], "configs": ["unmanaged"], "survey": true}'
# shard_file K N COMMIT: the header and the cells of shard K of N.
shard_file() {
    local keys
    keys=$(rule "\$s | selection_keys | slice($1; $2) | join(\" \")" --argjson s "$selection")
    run_header "$selection" "$1" "$2" "$keys" | jq -c ".commit = \"$3\""
    jq -c --arg keys " $keys " 'select(. as $c | $keys | contains(" \($c.version)/\($c.bitness)/\($c.config) "))' \
        "$WORK/cells.json" | jq -c 'select(.config == "unmanaged")'
}
sed -i 's/"win10"/"unmanaged"/' "$WORK/cells.json"
for k in 1 2 3; do shard_file $k 3 abc >"$WORK/shard$k.json"; done
# merged FILE...: the merge's errors, or its cells' keys.
merged() {
    local f input=""
    for f in "$@"; do input+=$(jq -c -s --arg file "${f##*/}" '{file: $file, lines: .}' "$f")$'\n'; done
    jq -r -s -L "$ROOT/tools/matrix" 'include "shards"; include "merge"; merge | .errors // (.cells | map(key)) | join("; ")' <<<"$input"
}
expect_text "three shards" "$(merged "$WORK"/shard{3,1,2}.json)" "$(jq -r '"\(.version)/\(.bitness)/\(.config)"' "$WORK/cells.json" | paste -sd ';' | sed 's/;/; /g')"
expect_text "a missing shard" "$(merged "$WORK"/shard{1,3}.json)" \
    "shard 2/3 is missing (its cells: host/32/unmanaged, host/64/unmanaged, trixie/32/unmanaged)"
cp "$WORK/shard2.json" "$WORK/again.json"
expect_text "a shard twice" "$(merged "$WORK"/shard{1,2,3}.json "$WORK/again.json" | cut -d';' -f1)" "shard 2/3 is given twice: shard2.json, again.json"
expect_text "a cell twice" "$(merged "$WORK"/shard{1,2,3}.json "$WORK/again.json" | tr ';' '\n' | grep -c 'appears 2 times')" 3
shard_file 2 3 def >"$WORK/other.json"
expect_text "another commit" "$(merged "$WORK"/shard{1,3}.json "$WORK/other.json")" \
    "the files are from different commits: abc (shard1.json, shard3.json), def (other.json)"
jq -c 'if has("matrix") then .selection.survey = false else . end' "$WORK/shard2.json" >"$WORK/other.json"
expect_text "another selection" "$(merged "$WORK"/shard{1,3}.json "$WORK/other.json")" \
    "the files are from different selections: other.json / shard1.json, shard3.json"
head -n 3 "$WORK/shard2.json" >"$WORK/short.json"
expect_text "a shard cut short" "$(merged "$WORK"/shard{1,3}.json "$WORK/short.json")" "short.json lacks the lines of trixie/32/unmanaged (cut short?)"
tail -n +2 "$WORK/shard2.json" >"$WORK/headless.json"
expect_text "no header" "$(merged "$WORK"/shard{1,3}.json "$WORK/headless.json")" \
    "headless.json is not one run's --json output (0 header lines, 0 lines that are neither a header nor a cell)"
jq -c 'if has("matrix") then .shard = {index: 2, count: 4} else . end' "$WORK/shard2.json" >"$WORK/other.json"
expect_text "another split" "$(merged "$WORK"/shard{1,3}.json "$WORK/other.json")" \
    "the files split the cells differently: into 3 (shard1.json, shard3.json), into 4 (other.json)"
jq -c 'if has("matrix") then .shard.index = 3 else . end' "$WORK/shard2.json" >"$WORK/other.json"
expect_text "a shard under another's number" "$(merged "$WORK"/shard1.json "$WORK/other.json" | cut -d';' -f1)" \
    "shard 2/3 is missing (its cells: host/32/unmanaged, host/64/unmanaged, trixie/32/unmanaged)"
# More shards than cells: the empty shards' files may be left out.
for k in 1 2 3 4 5 6 7 8 9; do shard_file $k 9 abc >"$WORK/small$k.json"; done
expect_text "an empty shard left out" "$(merged "$WORK"/small[2-9].json | tr ';' '\n' | wc -l)" 8

# What the programs under test say is hostile: no terminal escape, no
# direction override and no "|" that splits a table cell gets through.
jq -c 'if .version == "bullseye" then .release = "Deb\u001b[2Jian | 11\u202e" else . end | if .check then .check.platform.build = "wine\u0007|5" else . end
       | if .survey then .survey.kinds[0].kind = "fo|nt\u001b]0;x\u0007" | .survey.kinds[0].init.class = "C\u009b|" else . end
       | if .reason then .reason = "no\u001b[31m|verdict" else . end' \
    "$WORK/cells.json" >"$WORK/hostile.json"
for print in cell_row cell_progress "report changes" "report survey-table" "compared $WORK/now.json" "over_cells closing" "over_cells failures"; do
    $print <"$WORK/hostile.json" || true
done >"$WORK/printed"
control='[\x00-\x09\x0b-\x1f\x7f\x{80}-\x{9f}\x{202e}]'
! grep -qP "$control" "$WORK/printed" || fail "control characters printed: $(grep -P "$control" "$WORK/printed" | cat -A | head -3)"
grep -qF '| Deb?[2Jian \| 11? | 32 | unmanaged | wine?\|5 |' "$WORK/printed" || fail "hostile row: $(grep -F 'ian' "$WORK/printed" | head -1)"
grep -qF '| fo\|nt?]0;x? | held (holder C?\| → holder → holder) |' "$WORK/printed" || fail "hostile survey row: $(grep -F 'nt' "$WORK/printed")"
grep -qF '| kind | Deb?[2Jian \| 11?, 32-bit |' "$WORK/printed" || fail "hostile survey head: $(grep -F '| kind' "$WORK/printed")"
grep -qF '| no?[31m\|verdict; the survey gave no verdict: it | – |' "$WORK/printed" || fail "hostile reason: $(grep -F 'verdict' "$WORK/printed")"
