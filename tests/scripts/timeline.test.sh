# The survey's timeline through the real program: its JSON and its picture
# are read by the tools a user has, and a picture that cannot be written is
# a failure that still leaves whole JSON.
source "$(dirname "$0")/helpers.sh"
SURVEY=("${ON_PLATFORM[@]}" "$BUILD/x86_64/bin/survey.exe")
json() { jq -r "$1" "$WORK/out"; }

expect_run 0 120 "${SURVEY[@]}" --only font,popup_menu --json --timeline-svg "Z:$WORK/pictures/timeline.svg"
[ "$(json '[.kinds[] | .timeline.release | .cause + " " + .phase] | join(", ")')" = "cancel_mode init, taken init" ] ||
    fail "the timelines' releases are not as measured: $(cat "$WORK/out")"
[ "$(json '.kinds[1].timeline.release.class')" = "#32768" ] || fail "the menu's release names no #32768: $(cat "$WORK/out")"
xmllint --noout "$WORK/pictures/timeline.svg" || fail "the picture does not parse"
[ "$(xmllint --xpath 'count(//*[local-name()="text"][starts-with(., "Popup menu: taken by #32768")])' "$WORK/pictures/timeline.svg")" = 1 ] ||
    fail "the picture does not give the menu's sentence"

# A file where a folder should be: the picture cannot be written.
touch "$WORK/file"
expect_run 2 120 "${SURVEY[@]}" --only popup_menu --json --timeline-svg "Z:$WORK/file/timeline.svg"
[ "$(json '.status')" = 2 ] && [ "$(json '.kinds[0].verdict')" = taken ] &&
    json '.error' | grep -q "^the timelines could not be written to " ||
    fail "a picture that was not written is not a failure: $(cat "$WORK/out")"
