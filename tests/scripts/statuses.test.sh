# run.sh's exit status through a stand-in platform: the checker's own for
# 0, 1 and 2, 3 for a failed step, git bisect run's with --bisect. A broken
# 32-bit side is an error; only the kernel's refusal lets 64-bit stand in.
source "$(dirname "$0")/helpers.sh"
standin_platform "$WORK/platform"
prefix_copy "$WORK/prefix"
# The kernel's refusal, as it gives it: a loader that is no program.
standin_platform "$WORK/no32"
printf '\177ELF\002\001\001garbage' >"$WORK/no32/wine"
broken32='echo "wine: could not load kernel32.dll, status c0000135" >&2; exit 1'
# STATUS|PLATFORM|CHECKER|WINEBOOT|32-BIT PROGRAMS|OPTIONS|SAID
while IFS='|' read -r status platform check boot bits32 options said; do
    # shellcheck disable=SC2086
    STANDIN_CHECK=$check STANDIN_BOOT=$boot STANDIN_32=$bits32 expect_run "$status" 300 "$ROOT/tools/run.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/$platform" $options
    [ -z "$said" ] || expect_said "$said"
done <<TABLE
0|platform|exit 0|||--64|
2|platform|exit 2|||--64|
1|platform|exit 1|||--32|
0|platform|exit 0|||--64 --bisect|
1|platform|exit 1|||--64 --bisect|
3|platform||exit 1||--64|error: starting the platform failed: 
125|platform|exit 2|||--64 --bisect|
125|platform||exit 1||--64 --bisect|error: starting the platform failed: 
125|platform|exit 7|||--bisect --frobnicate|unknown argument: --frobnicate
3|platform|exit 0||$broken32||the platform cannot run the 32-bit build here: wine: could not load kernel32.dll
1|no32|exit 1||||note: the kernel cannot run 32-bit programs here (
3|no32|exit 1|||--32|Exec format error
125|no32|exit 1|||--bisect|Exec format error
TABLE

# The checker's expectations reach it, but not when bisecting.
for case in ":--expect open=held --probe font --expect-file=$WORK/e.txt " "--bisect:--probe font --unjudged-status 125 "; do
    STANDIN_CHECK='shift; printf "%s " "$@" >'"$WORK/args"'; exit 1' expect_run 1 300 "$ROOT/tools/run.sh" --quiet --64 ${case%%:*} \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" -- --expect open=held --probe font --expect-file="$WORK/e.txt"
    [[ $(cat "$WORK/args") == "${case#*:}"* ]] || fail "run.sh ${case%%:*} gave the checker: $(cat "$WORK/args")"
done

# test.sh: a broken 32-bit side fails it; a kernel's refusal skips the i686
# suite, as its last line says.
for platform in platform no32; do
    STANDIN_32=$broken32 expect_run "$([ $platform = platform ] && echo 3 || echo 0)" 600 "$ROOT/tools/test.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/$platform" --junit-dir "$WORK/junit" -- -R verdict_tests
done
[[ "$(tail -n 1 "$WORK/out")" == "i686 suite skipped: the kernel cannot run 32-bit programs ("*"Exec format error"* ]] ||
    fail "the skip is not named last: $(tail -n 3 "$WORK/out")"
