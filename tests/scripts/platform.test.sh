# The scripts run on the platform and in the prefix they are given: a
# stand-in loader records its calls and runs the real one. run.sh gets both
# as options and creates the prefix; test.sh gets them from the environment
# and finds the prefix changed by the user, whose setting it leaves alone.
source "$(dirname "$0")/helpers.sh"
platform="$WORK/platform"
prefix="$WORK/prefix"
calls="$WORK/calls"
mkdir "$platform"
cat >"$platform/wine" <<WRAPPER
#!/bin/sh
echo "WINEPREFIX=\$WINEPREFIX \$*" >>"$calls"
exec "$REAL_LOADER" "\$@"
WRAPPER
chmod +x "$platform/wine"
ln -s "$(find_wineserver "$REAL_LOADER")" "$platform/wineserver"
export -n WINESERVER

expect_run "0|1" 300 "$ROOT/tools/run.sh" --build "$BUILD" --64 --wine "$platform" --prefix "$prefix" -- --json
expect_said "creating the platform prefix in $prefix"
[ "$(wc -l <"$WORK/out")" = 1 ] && grep -q '^{.*}$' "$WORK/out" || fail "stdout is not one JSON line: $(head -c 200 "$WORK/out")"
grep -q "^WINEPREFIX=$prefix .*check.exe --json" "$calls" || fail "the checker did not run through the stand-in in $prefix"
WINEPREFIX=$prefix unmanaged_windows || fail "the new prefix lacks unmanaged windows"
expect_nothing_left_in "$prefix"

sed -i '/^"Managed"="N"/d' "$prefix/user.reg"
: >"$calls"
WINE="$platform/wine" WINEPREFIX="$prefix" expect_run 0 300 "$ROOT/tools/test.sh" --build "$BUILD" -- -R verdict_tests
grep -q "^WINEPREFIX=$prefix .*verdict_tests.exe" "$calls" || fail "the suite did not run through the stand-in in $prefix"
window_manager_runs || expect_said "each run waits about 6 s"
! WINEPREFIX=$prefix unmanaged_windows || fail "the user's prefix was changed"
xmllint --noout "$BUILD/x86_64/junit.xml" || fail "the suite's JUnit XML does not parse"
expect_nothing_left_in "$prefix"
