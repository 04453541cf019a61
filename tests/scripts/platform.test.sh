# The scripts run on the platform and in the prefix they are given (run.sh
# as options, test.sh from the environment), with the user's own WINEDEBUG
# and WINEDLLOVERRIDES, and leave a prefix the user changed alone.
source "$(dirname "$0")/helpers.sh"
standin_platform "$WORK/platform"
prefix="$WORK/prefix"
calls="$WORK/platform/calls"

WINEDEBUG=+loaddll WINEDLLOVERRIDES=comdlg32=b expect_run "0|1" 300 "$ROOT/tools/run.sh" --build "$BUILD" --64 --wine "$WORK/platform" --prefix "$prefix" -- --json
expect_said "creating the platform prefix in $prefix"
[ "$(wc -l <"$WORK/out")" = 1 ] && grep -q '^{.*}$' "$WORK/out" || fail "stdout is not one JSON line: $(head -c 200 "$WORK/out")"
grep -q "^WINEPREFIX=$prefix WINEDEBUG=+loaddll WINEDLLOVERRIDES=comdlg32=b .*check.exe --json" "$calls" ||
    fail "the checker did not run with the user's settings in $prefix: $(grep check.exe "$calls")"
grep -q "Loaded L\".*comdlg32.dll\"" "$WORK/err" || fail "the platform's trace did not reach stderr"
expect_nothing_left_in "$prefix"

sed -i '/^"Managed"="N"/d' "$prefix/user.reg"
: >"$calls"
WINE="$WORK/platform" WINEPREFIX="$prefix" expect_run 0 300 "$ROOT/tools/test.sh" --build "$BUILD" --junit-dir "$WORK/junit" -- -R verdict_tests
grep -q "^WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= .*verdict_tests.exe" "$calls" ||
    fail "the suite did not run through the stand-in in $prefix with the scripts' settings"
window_manager_runs || expect_said "each run waits about 6 s"
! WINEPREFIX=$prefix unmanaged_windows || fail "the user's prefix was changed"
xmllint --noout "$WORK/junit/x86_64/junit.xml" || fail "the suite's JUnit XML does not parse"
# A selection of no test is a failure, not a pass.
WINE="$WORK/platform" WINEPREFIX="$prefix" expect_run 1 300 "$ROOT/tools/test.sh" --build "$BUILD" --junit-dir "$WORK/junit" -- -R no_such_test
expect_nothing_left_in "$prefix"

# A JUnit file that a full disk cuts short is an error, and not left as if whole.
mkdir -p "$WORK/full"
if mount -t tmpfs -o size=64k tmpfs "$WORK/full" 2>/dev/null; then
    trap 'umount "$WORK/full"; stop_child; stop_run; rm -rf "$WORK"' EXIT
    dd if=/dev/zero of="$WORK/full/filler" bs=4k count=100 2>/dev/null || true
    WINE="$WORK/platform" WINEPREFIX="$prefix" expect_run 3 300 "$ROOT/tools/test.sh" --build "$BUILD" --junit-dir "$WORK/full" -- -R verdict_tests
    expect_said "error: writing $WORK/full/"
    [ -z "$(find "$WORK/full" -name 'junit.xml*')" ] || fail "a cut-short JUnit file is left: $(find "$WORK/full" -name 'junit.xml*')"
else
    skip_row "a full file system needs a tmpfs, which this user cannot mount" "test.sh --junit-dir on a full disk" || true
fi
