# run.sh's exit status, driven through a stand-in platform: the checker's
# own for 0, 1 and 2, 3 for a step that failed, and with --bisect git bisect
# run's meanings. A 32-bit side that is broken is an error; only a kernel
# that refuses 32-bit programs lets the 64-bit build stand in.
source "$(dirname "$0")/helpers.sh"
standin_platform "$WORK/platform"
prefix_copy "$WORK/prefix"
# The kernel's refusal, as the kernel gives it: a loader that is no program.
standin_platform "$WORK/no32"
printf '\177ELF\002\001\001garbage' >"$WORK/no32/wine"

# run_with STATUS PLATFORM CHECK BOOT 32-BIT OPTIONS...
run_with() {
    local status=$1 platform=$2
    STANDIN_CHECK=$3 STANDIN_BOOT=$4 STANDIN_32=$5 expect_run "$status" 300 "$ROOT/tools/run.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/$platform" "${@:6}"
}
broken32='echo "wine: could not load kernel32.dll, status c0000135" >&2; exit 1'
while IFS='|' read -r status platform check boot bits32 options said; do
    # shellcheck disable=SC2086
    run_with "$status" "$platform" "$check" "$boot" "$bits32" $options
    [ -z "$said" ] || expect_said "$said"
done <<TABLE
0|platform|exit 0|||--64|
1|platform|exit 1|||--64|
2|platform|exit 2|||--64|
1|platform|exit 1|||--32|
3|platform||exit 1||--64|error: starting the platform failed: 
0|platform|exit 0|||--64 --bisect|
1|platform|exit 1|||--64 --bisect|
125|platform|exit 2|||--64 --bisect|
125|platform||exit 1||--64 --bisect|error: starting the platform failed: 
125|platform|exit 7|||--bisect --frobnicate|unknown argument: --frobnicate
3|platform|exit 0||$broken32||the platform cannot run the 32-bit build here: wine: could not load kernel32.dll
125|platform|exit 0||$broken32|--bisect|the platform cannot run the 32-bit build here: wine: could not load kernel32.dll
1|no32|exit 1||||note: the kernel cannot run 32-bit programs here (
3|no32|exit 1|||--32|Exec format error
125|no32|exit 1|||--bisect|Exec format error
TABLE

# The checker's expectations reach it, except when bisecting.
args='printf "%s\n" "$@" >'"$WORK/args"'; exit 1'
run_with 1 platform "$args" "" "" --64 -- --expect open=held --expect-file "$WORK/e.txt"
[ "$(sed -n '2,5p' "$WORK/args" | tr '\n' ' ')" = "--expect open=held --expect-file $WORK/e.txt " ] ||
    fail "the expectations did not reach the checker: $(cat "$WORK/args")"
run_with 1 platform "$args" "" "" --64 --bisect -- --expect open=held --probe font --expect-file="$WORK/e.txt"
! grep -q expect "$WORK/args" && [ "$(sed -n '2,3p' "$WORK/args" | tr '\n' ' ')" = "--probe font " ] &&
    grep -qxF -- "--unjudged-status" "$WORK/args" || fail "bisecting, the checker got: $(cat "$WORK/args")"

# The test suite: a broken 32-bit side fails it; a kernel's refusal skips
# the i686 suite, and the last line says so.
for platform in platform no32; do
    STANDIN_32=$broken32 expect_run "$([ $platform = platform ] && echo 3 || echo 0)" 600 "$ROOT/tools/test.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/$platform" --junit-dir "$WORK/junit" -- -R verdict_tests
done
[[ "$(tail -n 1 "$WORK/out")" == "i686 suite skipped: the kernel cannot run 32-bit programs ("*"Exec format error"* ]] ||
    fail "the skip is not named last: $(tail -n 3 "$WORK/out")"

# Bisecting, an interrupt stays an interrupt.
: >"$WORK/platform/calls"
STANDIN_CHECK='exec sleep 60' start_run "$ROOT/tools/run.sh" --bisect --64 --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform"
wait_for "$WORK/platform/calls" check.exe 120
expect_interrupted TERM 143 "running the check"
expect_nothing_left_in "$WORK/prefix"
