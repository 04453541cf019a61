# The matrix: its rules and reports on fixed cells, with hostile text, its
# limits, and one real run on the host's platform (the Debian roots are not
# built here).
source "$(dirname "$0")/helpers.sh"
# What matrix.sh gives the parts it sources.
progress() { :; }; run_stoppable() { "$@"; }; step_failed() { fail "$1 failed: $2"; }
LOADER32=$(choose_loader "$(dirname "$REAL_LOADER")" 32)
WINESERVER=$(find_wineserver "$REAL_LOADER")
CELL_FILES=$WORK
for part in roots platforms windows configs ended cells reports; do source "$ROOT/tools/matrix/$part.sh"; done

expect_text() { [ "$2" = "$3" ] || fail "$1:"$'\n'"--- got"$'\n'"$2"$'\n'"--- wanted"$'\n'"$3"; }

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

# How a command without a result ended; only one that could not start rules out a cell.
for case in "124:it did not end within 90 s" "137:it did not end within 90 s" \
    "134:the platform crashed (SIGABRT)" "3:its words (status 3)"; do
    expect_text "ended_how ${case%%:*}" "$(ended_how "${case%%:*}" 90 "its words")" "${case#*:}"
done
for status in 124 126 127 134 139; do cannot_start "$status" || fail "status $status: it could start"; done
for status in 0 1 3 5 128 160; do ! cannot_start "$status" || fail "status $status: it could not start"; done

# Fixed cells: three versions, a 32-bit side that did not run, one version
# whose cells disagree.
cell() { # VERSION RELEASE BITS CONFIG PLATFORM OPEN FONT KIND:VERDICT:INIT:RUNNING:AFTER...; PLATFORM "-": not run
    jq -cn --args '$ARGS.positional as [$version, $release, $bits, $config, $platform, $open, $font]
        | def holder: {holder: ., class: null};
        {version: $version, release: $release, bitness: ($bits | tonumber), config: $config, reason: null, surveyReason: null}
        + if $platform == "-" then {check: null, survey: null, reason: "32-bit programs do not start here: it",
                                    surveyReason: "32-bit programs do not start here: it"}
          else {check: {platform: {name: "Wine", version: $platform, build: "wine-\($platform)"}, windowsVersion: "6.1.7601",
                        status: 1, seconds: 1.5, openFile: {verdict: $open}, chooseFont: {verdict: $font}},
                survey: {kinds: [$ARGS.positional[7:][] | split(":") | {kind: .[0], verdict: .[1],
                         init: (.[2] | holder), running: (.[3] | holder), after: (.[4] | holder)}]}} end' "$@"
}
kept=held:holder:holder:holder late=released_late:holder:nobody:nobody free=released:nobody:nobody:nobody
{
    cell bullseye "Debian 11" 32 unmanaged 5.0.3 held held font:$kept message_box:$kept popup_menu:$free
    cell bullseye "Debian 11" 64 unmanaged 5.0.3 held held font:$kept message_box:$kept popup_menu:$free
    cell host "Debian 12 (host)" 32 unmanaged - - -
    cell host "Debian 12 (host)" 64 unmanaged 8.0 held released font:$late message_box:$late popup_menu:$free
    cell trixie "Debian 13" 32 unmanaged 10.0 held released font:$late message_box:$free popup_menu:$free
    cell trixie "Debian 13" 64 win10 10.0 held released font:$late message_box:$late popup_menu:$free
    cell sid "Debian unstable" 32 unmanaged - - -
} >"$WORK/cells.json"

expect_text "what changed" "$(report changes <"$WORK/cells.json")" \
'Font dialog: HELD on Debian 11 (5.0.3) → released on Debian 12 (host, 8.0)
survey font: held on Debian 11 (5.0.3) → released_late on Debian 12 (host, 8.0)
survey message_box: held on Debian 11 (5.0.3) → released_late on Debian 12 (host, 8.0)
survey message_box: released_late on Debian 12 (host, 8.0) → mixed: released ×1, released_late ×1 on Debian 13 (10.0)'

expect_text "the survey's table" "$(report survey-table <"$WORK/cells.json")" \
'| kind | Debian 11, 32-bit | Debian 11, 64-bit | Debian 12 (host), 32-bit | Debian 12 (host), 64-bit | Debian 13, 32-bit | Debian 13, 64-bit | Debian unstable, 32-bit |
|---|---|---|---|---|---|---|---|
| font | held (holder → holder → holder) | held (holder → holder → holder) | – | released_late (holder → nobody → nobody) | released_late (holder → nobody → nobody) | released_late (holder → nobody → nobody) | – |
| message_box | held (holder → holder → holder) | held (holder → holder → holder) | – | released_late (holder → nobody → nobody) | released (nobody → nobody → nobody) | released_late (holder → nobody → nobody) | – |
| popup_menu | released | released | – | released | released | released | – |'

# compared BASELINE < CELLS: compare_baseline's status, then its lines.
compared() { local status=0 lines; lines=$(compare_baseline "$1" 2>&1) || status=$?; printf '%s\n%s' "$status" "$lines"; }
# Against a baseline: a verdict that changed in a cell and in a survey kind,
# a checker that gave none, and a cell on each side alone.
jq -c 'if .version == "trixie" and .bitness == 64 then .check.chooseFont.verdict = "held"
       elif .version == "trixie" then .survey.kinds[1].verdict = "held"
       elif .version == "host" and .bitness == 64 then .check = null | .reason = "no verdict: it"
       else . end | select(.version != "bullseye" or .bitness != 32)' "$WORK/cells.json" >"$WORK/now.json"
cell sid "Debian unstable" 64 unmanaged 10.0 held released >>"$WORK/now.json"
expect_text "against a baseline" "$(compared "$WORK/cells.json" <"$WORK/now.json")" '1
Debian 12 (host), 64-bit, unmanaged: Open dialog HELD → no verdict
Debian 12 (host), 64-bit, unmanaged: Font dialog released → no verdict
Debian 13, 32-bit, unmanaged: survey message_box released → held
Debian 13, 64-bit, win10: Font dialog released → HELD
not in the baseline: Debian unstable, 64-bit, unmanaged
only in the baseline: Debian 11, 32-bit, unmanaged'
# Cells on one side only are no difference; a run without the survey is
# compared on the dialogs alone.
expect_text "against a baseline, fewer cells without the survey" \
    "$(jq -c 'select(.version != "host") | del(.survey, .surveyReason)' "$WORK/cells.json" | compared "$WORK/cells.json")" '0
no difference
only in the baseline: Debian 12 (host), 32-bit, unmanaged
only in the baseline: Debian 12 (host), 64-bit, unmanaged'
# Cells whose results are not what a run writes cannot be compared.
echo '{"version": "host", "bitness": 64, "config": "unmanaged", "check": {"openFile": 3}}' >"$WORK/odd.json"
expect_text "status against an odd baseline" "$(compared "$WORK/odd.json" <"$WORK/cells.json" | head -n 1)" 2

# What the programs under test say is hostile: no terminal escape, no
# direction override and no "|" that splits a table cell gets through.
jq -c 'if .version == "bullseye" then .release = "Deb\u001b[2Jian | 11\u202e" else . end | if .check then .check.platform.build = "wine\u0007|5" else . end
       | if .survey then .survey.kinds[0].kind = "fo|nt\u001b]0;x\u0007" | .survey.kinds[0].init.class = "C\u009b|" else . end' \
    "$WORK/cells.json" >"$WORK/hostile.json"
for print in cell_row cell_progress "report changes" "report survey-table" "compare_baseline $WORK/cells.json"; do
    $print <"$WORK/hostile.json" || true
done >"$WORK/printed"
control='[\x00-\x09\x0b-\x1f\x7f\x{80}-\x{9f}\x{202e}]'
! grep -qP "$control" "$WORK/printed" || fail "control characters printed: $(grep -P "$control" "$WORK/printed" | cat -A | head -3)"
grep -qF '| Deb?[2Jian \| 11? | 32 | unmanaged | wine?\|5 |' "$WORK/printed" || fail "hostile row: $(grep -F 'ian' "$WORK/printed" | head -1)"
grep -qF '| fo\|nt?]0;x? | held (holder C?\| → holder → holder) |' "$WORK/printed" || fail "hostile survey row: $(grep -F 'nt' "$WORK/printed")"
grep -qF '| kind | Deb?[2Jian \| 11?, 32-bit |' "$WORK/printed" || fail "hostile survey head: $(grep -F '| kind' "$WORK/printed")"

# No platform command waits without a limit; a loader that is refused is
# named, one that started and failed rules out no cell.
loader() { printf '#!/bin/sh\n%s\n' "$2" >"$WORK/$1"; chmod "${3:-+x}" "$WORK/$1"; }
loader hanging 'exec sleep 60'
loader failing 'echo "wine: Unhandled page fault on read access"; exit 5'
loader refused 'exit 0' -x
loader long 'printf "{\"log\": \"%s\"}\n" "$(head -c 300000 /dev/zero | tr "\0" x)"'
MATRIX=$WORK/matrix
mkdir -p "$MATRIX/host"
started=$SECONDS
! LOADER64=$WORK/hanging program_json host 64 1 check.exe --json || fail "a hanging platform gave JSON"
expect_text "a hanging platform" "$PROGRAM_JSON" "no verdict: it did not end within 1 s"
[ $((SECONDS - started)) -le 8 ] || fail "a hanging platform was ended after $((SECONDS - started)) s, not 1 s"
expect_text "a 32-bit side that is refused" "$(LOADER32=$WORK/refused why_no_32bit host)" \
    "32-bit programs do not start here: Permission denied (status 126)"
expect_text "a 32-bit program that started and failed" "$(LOADER32=$WORK/failing why_no_32bit host)" ""
# A long JSON line is kept whole.
LOADER64=$WORK/long run_cell host 64 winxp "" yes >"$WORK/long.json"
jq -e '[.check.log, .survey.log] | map(length) == [300000, 300000]' "$WORK/long.json" >/dev/null || fail "a long JSON line: $(head -c 300 "$WORK/long.json")"

# The script refuses what it would not use, before any long step.
expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --versions host --prefix "$WORK/prefix"
expect_said "--prefix is not used"
for bad in '{"not": "a cell"}' ''; do
    printf '%s\n' "$bad" >"$WORK/bad.json"
    expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --versions host --baseline "$WORK/bad.json"
    expect_said "--baseline $WORK/bad.json is not the JSON lines of an earlier --json output"
done
cp "$WORK/cells.json" "$WORK/kept.json"
expect_run 2 20 "$ROOT/tools/matrix.sh" --build "$BUILD" --versions host --json "$WORK/kept.json" --baseline "$WORK/kept.json"
expect_said "--json would overwrite the baseline"
cmp -s "$WORK/cells.json" "$WORK/kept.json" || fail "the baseline was overwritten"

# One real run on the host's platform, with the survey, against a baseline
# in which the Font dialog was HELD. winxp: the platform reports Windows
# 5.1.2600 or 5.2.3790, as major.minor.build.
cell host "Debian 12 (host)" 64 winxp 8.0 held held >"$WORK/baseline.json"
expect_run 1 600 "$ROOT/tools/matrix.sh" --build "$BUILD" --wine "$(dirname "$REAL_LOADER")" --quiet \
    --versions host --configs winxp --survey --json "$WORK/run.json" --baseline "$WORK/baseline.json"
ran='.reason == null and .check.status == 1 and .check.openFile.verdict == "held" and .check.chooseFont.verdict == "released"
     and (.check.windowsVersion | test("^5\\.[12]\\.(2600|3790)$")) and .surveyReason == null
     and ([.survey.kinds[] | select(.kind == "font") | .verdict] | . == ["released_late"] or . == ["released"])'
WINEPREFIX=$RUN_PREFIX can_run_32bit && ran32=$ran || ran32='.check == null and (.reason | startswith("32-bit programs do not start here: "))'
jq -s -e "all(.[]; .version == \"host\" and .config == \"winxp\") and (map(.bitness) | sort) == [32, 64]
          and all(.[]; if .bitness == 64 then $ran else $ran32 end)" "$WORK/run.json" >/dev/null ||
    fail "the cells: $(cat "$WORK/run.json")"
for line in '\| host \([^|]+\) \| 64 \| winxp \| [^|]+ \| 5\.[0-9.]+ \| HELD \| released \| 1 \| [0-9.]+ \|' \
    '\| font \| [^|]+ \| released(_late)? \|' 'host \([^|]+\), 64-bit, winxp: Font dialog HELD → released'; do
    grep -qE "^$line\$" "$WORK/out" || fail "no line $line in: $(cat "$WORK/out")"
done
expect_nothing_left_in "$BUILD/matrix/host/prefix"
