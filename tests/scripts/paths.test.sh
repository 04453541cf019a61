# Paths that would make a root run delete or run what is not its own are
# refused with a named error, status 3, and everything left as it was.
source "$(dirname "$0")/helpers.sh"
chmod 755 "$WORK"
# A link to a folder of value in another user's build folder, then in one's own.
mkdir -p "$WORK/theirs/cibuild" "$WORK/victim" "$WORK/mine" "$WORK/documents"
touch "$WORK/victim/precious" "$WORK/documents/letter.txt"
ln -s "$WORK/victim" "$WORK/theirs/cibuild/wineprefix"
ln -s "$WORK/victim" "$WORK/mine/wineprefix"
chown -R nobody "$WORK/theirs"
expect_run 3 20 "$ROOT/tools/run.sh" --64 --build "$WORK/theirs/cibuild"
expect_said "error: checking the build folder failed: $WORK/theirs/cibuild is not a folder of the user who runs the script"
expect_run 3 20 "$ROOT/tools/run.sh" --64 --build "$WORK/mine"
expect_said "error: checking the prefix failed: $WORK/mine/wineprefix is a symbolic link"
[ "$(ls -A "$WORK/victim")" = precious ] || fail "the link's target was changed: $(ls -A "$WORK/victim")"

# A ';' would split CMake's emulator list and run the part after it.
printf '#!/bin/sh\ntouch %s/ran\n' "$WORK" >"$WORK/evil.sh"
chmod +x "$WORK/evil.sh"
expect_run 3 20 "$ROOT/tools/test.sh" --prefix "$WORK/a;$WORK/evil.sh" -- -R verdict_tests
expect_said "error: checking the prefix failed: $WORK/a;$WORK/evil.sh cannot be used: it holds a ';'"
standin_platform "$WORK/platform;$WORK/evil.sh"
expect_run 3 20 "$ROOT/tools/run.sh" --wine "$WORK/platform;$WORK/evil.sh"
expect_said "error: finding the platform failed: the loader $WORK/platform;$WORK/evil.sh/wine cannot be used: it holds a ';'"
[ ! -e "$WORK/ran" ] || fail "a program named after ';' ran"

# A broken prefix of the user's: its name quoted for the shell in the
# command that rebuilds it. A folder that is no prefix gets no command.
prefix_copy "$WORK/it's broken"
rm "$WORK/it's broken/system.reg"
: >"$WORK/it's broken/system.reg"
expect_run 3 120 "$ROOT/tools/run.sh" --build "$BUILD" --64 --prefix "$WORK/it's broken"
expect_said "failed: $WORK/it's broken is broken (its system.reg is missing or empty); it was not made by these scripts, so they leave it alone; rebuild it with: rm -rf $(printf %q "$WORK/it's broken") and run"
expect_run 3 120 "$ROOT/tools/run.sh" --build "$BUILD" --64 --prefix "$WORK/documents"
expect_said "error: checking the prefix failed: $WORK/documents is not a platform prefix"
! grep -q 'rm -rf' "$WORK/err" || fail "a command to delete a folder that is not a prefix: $(cat "$WORK/err")"
[ -f "$WORK/documents/letter.txt" ] && [ -d "$WORK/it's broken/drive_c" ] || fail "a folder of the user's was changed"
