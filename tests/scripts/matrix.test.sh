# The matrix: its rules on fixed cells (the default Windows version read from
# a registry, how a command without a result ended, what changed between
# versions, the survey's table, the comparison with a baseline, hostile
# text), its limits, and one real run of the script on the host's platform
# in one configuration. The Debian roots are not built here.
source "$(dirname "$0")/helpers.sh"
progress() { :; }
step_failed() { fail "$1 failed: $2"; }
LOADER64=$REAL_LOADER
LOADER32=$(choose_loader "$(dirname "$REAL_LOADER")" 32)
WINESERVER=$(find_wineserver "$REAL_LOADER")
run_stoppable() { "$@"; }
CELL_FILES=$WORK
for part in roots platforms windows configs ended cells reports; do
    source "$ROOT/tools/matrix/$part.sh"
done

# expect_text WHAT GOT WANT
expect_text() {
    [ "$2" = "$3" ] || fail "$1:
--- got
$2
--- wanted
$3"
}

# The default Windows version, from the registry of a new prefix.
while read -r version build want; do
    expect_text "windows_name $version $build" "$(windows_name "$version" "$build")" "${want#-}"
done <<'TABLE'
5.0 2195 win2k
5.1 2600 winxp
5.2 3790 win2003
6.0 6002 vista
6.1 7601 win7
6.2 9200 win8
6.3 9600 win81
10 19043 win10
10 22000 win11
10 - win10
7.0 1 -
- - -
TABLE
registry() { printf '%s\n' 'WINE REGISTRY Version 2' '' "$@"; }
key='[Software\\Microsoft\\Windows NT\\CurrentVersion] 1796748109'
expect_text "8.0's registry" "$(registry "$key" '"CurrentBuildNumber"="7601"' '"CurrentVersion"="6.1"' | registry_windows)" win7
expect_text "10.0's registry: the major number, not 6.3" "$(registry "$key" '"CurrentBuildNumber"="19043"' \
    '"CurrentMajorVersionNumber"=dword:0000000a' '"CurrentVersion"="6.3"' | registry_windows)" win10
expect_text "another key's version" "$(registry '[Software\\Wine] 1' '"CurrentVersion"="5.1"' '' "$key" \
    '"CurrentVersion"="6.1"' '' '[Software\\Microsoft\\Windows NT\\CurrentVersion\\Other] 1' '"CurrentVersion"="5.1"' |
    registry_windows)" win7
expect_text "a registry without the key" "$(registry '[Software\\Wine] 1' | registry_windows)" ""

# How a command without a result ended.
while IFS='|' read -r status want; do
    expect_text "ended_how $status" "$(ended_how "$status" 90 "its words")" "$want"
done <<'TABLE'
124|it did not end within 90 s
137|it did not end within 90 s
139|the platform crashed (SIGSEGV)
134|the platform crashed (SIGABRT)
3|its words (status 3)
0|its words (status 0)
TABLE

# Only a program that could not start at all rules out a cell.
for status in 124 126 127 134 139; do cannot_start "$status" || fail "status $status: it could start"; done
for status in 0 1 3 5 128 160; do ! cannot_start "$status" || fail "status $status: it could not start"; done

# Fixed cells: three versions, a 32-bit side that did not run, one version
# whose cells disagree.
cell() { # VERSION RELEASE BITS CONFIG PLATFORM OPEN FONT KIND:VERDICT:INIT:RUNNING:AFTER...
    local version=$1 release=$2 bits=$3 config=$4 platform=$5 open=$6 font=$7 kinds=()
    shift 7
    for kind in "$@"; do kinds+=("$kind"); done
    jq -cn --arg version "$version" --arg release "$release" --argjson bits "$bits" --arg config "$config" \
        --arg platform "$platform" --arg open "$open" --arg font "$font" --args '
        def holder: {holder: ., class: null};
        {version: $version, release: $release, bitness: $bits, config: $config}
        + if $platform == "-" then {reason: "32-bit programs do not start here: it", check: null,
                                    survey: null, surveyReason: "32-bit programs do not start here: it"}
          else {reason: null,
                check: {platform: {name: "Wine", version: $platform, build: "wine-\($platform)"},
                        windowsVersion: "6.1.7601", status: 1, seconds: 1.5,
                        openFile: {verdict: $open}, chooseFont: {verdict: $font}},
                survey: {kinds: [$ARGS.positional[] | split(":")
                                 | {kind: .[0], verdict: .[1], init: (.[2] | holder),
                                    running: (.[3] | holder), after: (.[4] | holder)}]},
                surveyReason: null} end' "${kinds[@]}"
}
{
    cell bullseye "Debian 11" 32 unmanaged 5.0.3 held held font:held:holder:holder:holder \
        message_box:held:holder:holder:holder popup_menu:released:nobody:nobody:nobody
    cell bullseye "Debian 11" 64 unmanaged 5.0.3 held held font:held:holder:holder:holder \
        message_box:held:holder:holder:holder popup_menu:released:nobody:nobody:nobody
    cell host "Debian 12 (host)" 32 unmanaged - - -
    cell host "Debian 12 (host)" 64 unmanaged 8.0 held released font:released_late:holder:nobody:nobody \
        message_box:released_late:holder:nobody:nobody popup_menu:released:nobody:nobody:nobody
    cell trixie "Debian 13" 32 unmanaged 10.0 held released font:released_late:holder:nobody:nobody \
        message_box:released:nobody:nobody:nobody popup_menu:released:nobody:nobody:nobody
    cell trixie "Debian 13" 64 win10 10.0 held released font:released_late:holder:nobody:nobody \
        message_box:released_late:holder:nobody:nobody popup_menu:released:nobody:nobody:nobody
    cell sid "Debian unstable" 32 unmanaged - - -
} >"$WORK/cells.json"

expect_text "what changed" "$(report changes <"$WORK/cells.json")" \
'Font dialog: HELD on Debian 11 (5.0.3) → released on Debian 12 (host, 8.0)
survey font: held on Debian 11 (5.0.3) → released_late on Debian 12 (host, 8.0)
survey message_box: held on Debian 11 (5.0.3) → released_late on Debian 12 (host, 8.0)
survey message_box: released_late on Debian 12 (host, 8.0) → mixed: released ×1, released_late ×1 on Debian 13 (10.0)'
expect_text "what changed, where nothing did" \
    "$(jq -c 'select(.version != "bullseye" and .bitness != 32)' "$WORK/cells.json" | report changes)" ""

expect_text "the survey's table" "$(report survey-table <"$WORK/cells.json")" \
'| kind | Debian 11, 32-bit | Debian 11, 64-bit | Debian 12 (host), 32-bit | Debian 12 (host), 64-bit | Debian 13, 32-bit | Debian 13, 64-bit | Debian unstable, 32-bit |
|---|---|---|---|---|---|---|---|
| font | held (holder → holder → holder) | held (holder → holder → holder) | – | released_late (holder → nobody → nobody) | released_late (holder → nobody → nobody) | released_late (holder → nobody → nobody) | – |
| message_box | held (holder → holder → holder) | held (holder → holder → holder) | – | released_late (holder → nobody → nobody) | released (nobody → nobody → nobody) | released_late (holder → nobody → nobody) | – |
| popup_menu | released | released | – | released | released | released | – |'

# Against a baseline: a verdict that changed in a cell and in a survey kind,
# a checker that gave none, and a cell on each side alone.
jq -c 'if .version == "trixie" and .bitness == 64 then .check.chooseFont.verdict = "held"
       elif .version == "trixie" then .survey.kinds[1].verdict = "held"
       elif .version == "host" and .bitness == 64 then .check = null | .reason = "no verdict: it"
       else . end | select(.version != "bullseye" or .bitness != 32)' "$WORK/cells.json" >"$WORK/now.json"
cell sid "Debian unstable" 64 unmanaged 10.0 held released >>"$WORK/now.json"
status=0
compare_baseline "$WORK/cells.json" <"$WORK/now.json" >"$WORK/compared" || status=$?
expect_text "status against a baseline" "$status" 1
expect_text "against a baseline" "$(cat "$WORK/compared")" \
'Debian 12 (host), 64-bit, unmanaged: Open dialog HELD → no verdict
Debian 12 (host), 64-bit, unmanaged: Font dialog released → no verdict
Debian 13, 32-bit, unmanaged: survey message_box released → held
Debian 13, 64-bit, win10: Font dialog released → HELD
not in the baseline: Debian unstable, 64-bit, unmanaged
only in the baseline: Debian 11, 32-bit, unmanaged'
# Cells whose results are not what a run writes cannot be compared.
status=0
echo '{"version": "host", "bitness": 64, "config": "unmanaged", "check": {"openFile": 3}}' >"$WORK/odd.json"
compare_baseline "$WORK/odd.json" <"$WORK/cells.json" >/dev/null 2>&1 || status=$?
expect_text "status against an odd baseline" "$status" 2
expect_text "against itself" "$(compare_baseline "$WORK/cells.json" <"$WORK/cells.json")" "no difference"
# Cells on one side only are no difference.
jq -c 'select(.version != "host")' "$WORK/cells.json" >"$WORK/fewer.json"
compare_baseline "$WORK/cells.json" <"$WORK/fewer.json" >"$WORK/compared" ||
    fail "cells missing from a run counted as a difference: $(cat "$WORK/compared")"
# A run without the survey is compared on the dialogs alone.
jq -c 'del(.survey, .surveyReason)' "$WORK/cells.json" >"$WORK/nosurvey.json"
expect_text "against a baseline with the survey" \
    "$(compare_baseline "$WORK/cells.json" <"$WORK/nosurvey.json")" "no difference"

# What the programs under test say is hostile: no terminal escape, no
# direction override and no "|" that splits a table cell gets through.
jq -c 'if .version == "bullseye" then .release = "Deb\u001b[2Jian | 11\u202e" else . end | if .check then .check.platform.build = "wine\u0007|5" else . end
       | if .survey then .survey.kinds[0].kind = "fo|nt\u001b]0;x\u0007" | .survey.kinds[0].init.class = "C\u009b|" else . end' \
    "$WORK/cells.json" >"$WORK/hostile.json"
{
    cell_row <"$WORK/hostile.json"
    cell_progress <"$WORK/hostile.json"
    report changes <"$WORK/hostile.json"
    report survey-table <"$WORK/hostile.json"
    compare_baseline "$WORK/cells.json" <"$WORK/hostile.json" || true
} >"$WORK/printed"
! grep -qP '[\x00-\x09\x0b-\x1f\x7f\x{80}-\x{9f}\x{202e}]' "$WORK/printed" ||
    fail "control characters printed: $(grep -P '[\x00-\x09\x0b-\x1f\x7f\x{80}-\x{9f}\x{202e}]' "$WORK/printed" | cat -A | head -3)"
grep -qF '| Deb?[2Jian \| 11? | 32 | unmanaged | wine?\|5 |' "$WORK/printed" || fail "hostile row: $(grep -F 'ian' "$WORK/printed" | head -1)"
grep -qF '| fo\|nt?]0;x? | held (holder C?\| → holder → holder) |' "$WORK/printed" || fail "hostile survey row: $(grep -F 'nt' "$WORK/printed")"

# No platform command waits without a limit, and a loader that dies is named.
printf '#!/bin/sh\nkill -SEGV $$\n' >"$WORK/crashing"
printf '#!/bin/sh\nexec sleep 60\n' >"$WORK/hanging"
chmod +x "$WORK/crashing" "$WORK/hanging"
mkdir -p "$WORK/matrix/host"
saved=("$MATRIX" "$LOADER32" "$LOADER64")
MATRIX=$WORK/matrix LOADER32=$WORK/crashing LOADER64=$WORK/hanging
started=$SECONDS
! program_json host 64 1 check.exe --json || fail "a hanging platform gave JSON"
expect_text "a hanging platform" "$PROGRAM_JSON" "no verdict: it did not end within 1 s"
[ $((SECONDS - started)) -le 8 ] || fail "a hanging platform was ended after $((SECONDS - started)) s, not 1 s"
! program_json host 32 30 check.exe --json || fail "a crashing platform gave JSON"
expect_text "a crashing platform" "$PROGRAM_JSON" "no verdict: the platform crashed (SIGSEGV)"
expect_text "a crashing 32-bit side" "$(why_no_32bit host)" "32-bit programs do not start here: the platform crashed (SIGSEGV)"
printf '#!/bin/sh\necho "wine: Unhandled page fault on read access"\nexit 5\n' >"$WORK/failing"
chmod +x "$WORK/failing"
LOADER32=$WORK/failing
expect_text "a 32-bit program that started and failed" "$(why_no_32bit host)" ""
printf '#!/bin/sh\nexit 0\n' >"$WORK/refused"
LOADER32=$WORK/refused
expect_text "a 32-bit side that is refused" "$(why_no_32bit host)" "32-bit programs do not start here: Permission denied (status 126)"
# A long JSON line is kept whole.
printf '#!/bin/sh\nprintf "{\\"log\\": \\"%%s\\"}\\n" "$(head -c 300000 /dev/zero | tr "\\0" x)"\n' >"$WORK/long"
chmod +x "$WORK/long"
LOADER64=$WORK/long
run_cell host 64 winxp "" yes >"$WORK/long.json"
jq -e '(.check.log | length) == 300000 and (.survey.log | length) == 300000' "$WORK/long.json" >/dev/null ||
    fail "a long JSON line: $(head -c 300 "$WORK/long.json")"
MATRIX=${saved[0]} LOADER32=${saved[1]} LOADER64=${saved[2]}

# The script refuses what it would not use, before any long step.
expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --versions host --prefix "$WORK/prefix"
expect_said "--prefix is not used"
for bad in '{"not": "a cell"}' '' '{"version": "host", "bitness": 64, "config": "winxp"} {'; do
    printf '%s\n' "$bad" >"$WORK/bad.json"
    expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --versions host --baseline "$WORK/bad.json"
    expect_said "--baseline $WORK/bad.json is not the JSON lines of an earlier --json output"
done
cp "$WORK/cells.json" "$WORK/kept.json"
expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --versions host --json "$WORK/kept.json" --baseline "$WORK/kept.json"
expect_said "--json would overwrite the baseline"
cmp -s "$WORK/cells.json" "$WORK/kept.json" || fail "the baseline was overwritten"

# One real run on the host's platform, with the survey, against a baseline
# in which the Font dialog was HELD and another version ran.
cell host "Debian 12 (host)" 64 winxp 8.0 held held >"$WORK/baseline.json"
cell bullseye "Debian 11" 64 winxp 5.0.3 held held >>"$WORK/baseline.json"
expect_run 1 600 "$ROOT/tools/matrix.sh" --build "$BUILD" --wine "$(dirname "$REAL_LOADER")" --quiet \
    --versions host --configs winxp --survey --json "$WORK/run.json" --baseline "$WORK/baseline.json"
# winxp: the platform reports Windows 5.x to the program.
held='.reason == null and .check.status == 1 and .check.openFile.verdict == "held" and .check.chooseFont.verdict == "released" and (.check.windowsVersion | startswith("5."))
      and .surveyReason == null and ([.survey.kinds[] | select(.kind == "font") | .verdict] == ["released_late"] or [.survey.kinds[] | select(.kind == "font") | .verdict] == ["released"])'
# cells BITS TEST: whether the run has one cell of that bitness, and it passes.
cells() { jq -s -e "map(select(.bitness == $1)) | length == 1 and all(.[]; $2)" "$WORK/run.json" >/dev/null; }
cells 64 ".version == \"host\" and .config == \"winxp\" and $held" ||
    fail "64-bit cell: $(cat "$WORK/run.json")"
grep -qE '^\| host \([^|]+\) \| 64 \| winxp \| [^|]+ \| 5\.[0-9.]+ \| HELD \| released \| 1 \| [0-9.]+ \|$' "$WORK/out" ||
    fail "no 64-bit row in: $(cat "$WORK/out")"
grep -qE '^\| font \| [^|]+ \| released(_late)? \|$' "$WORK/out" || fail "no survey row in: $(cat "$WORK/out")"
grep -qE '^host \([^|]+\), 64-bit, winxp: Font dialog HELD → released$' "$WORK/out" ||
    fail "no difference in: $(cat "$WORK/out")"
grep -qxF 'only in the baseline: Debian 11, 64-bit, winxp' "$WORK/out" || fail "no missing cell in: $(cat "$WORK/out")"
if can_run_32bit; then
    cells 32 "$held" || fail "32-bit cell: $(cat "$WORK/run.json")"
else
    cells 32 '.check == null and (.reason | startswith("32-bit programs do not start here: "))' ||
        fail "32-bit cell that cannot run: $(cat "$WORK/run.json")"
fi
expect_nothing_left_in "$BUILD/matrix/host/prefix"
