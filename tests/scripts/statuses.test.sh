# run.sh's exit status through a stand-in platform: the checker's own for
# 0, 1 and 2, 3 for a failed step, git bisect run's with --bisect. A broken
# 32-bit side is an error; only the kernel's refusal lets 64-bit stand in.
source "$(dirname "$0")/helpers.sh"
standin_platform "$WORK/platform"
prefix_copy "$WORK/prefix"
broken32='echo "wine: could not load kernel32.dll, status c0000135" >&2; exit 1'
# KERNEL|STATUS|CHECKER (Jn: judges with status n; Jn:m: and ends with m)|WINEBOOT|32-BIT PROGRAMS|OPTIONS|SAID;
# KERNEL as runs_here takes it
while IFS='|' read -r kernel status check boot bits32 options said; do
    runs_here "$kernel" "run.sh $options, the checker: ${check:-real}, wineboot: ${boot:-real}" || continue
    [[ ! $check =~ ^J([0-9]+):?([0-9]*)$ ]] || check=$(judged "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
    # shellcheck disable=SC2086
    STANDIN_CHECK=$check STANDIN_BOOT=$boot STANDIN_32=$bits32 expect_run "$status" 300 "$ROOT/tools/run.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" $options
    [ -z "$said" ] || expect_said "$said"
done <<TABLE
-|0|J0|||--64|
-|2|J2|||--64|
-|0|J0|||--64 --bisect|
-|1|J1|||--64 --bisect|
-|125|J125|||--64 --bisect|
-|3|exit 0|||--64|error: running the check failed: the checker gave no verdict: it wrote no JSON report (status 0)
-|125|exit 0|||--64 --bisect|the checker gave no verdict: it wrote no JSON report (status 0)
-|125|exit 1|||--64 --bisect|the checker gave no verdict: it wrote no JSON report (status 1)
-|3|J0:1|||--64 -- --json|the checker gave no verdict: its report says status 0, and it ended with 1
-|3||exit 1||--64|error: starting the platform failed: 
-|125||exit 1||--64 --bisect|error: starting the platform failed: 
-|128|J0|||--frobnicate --bisect|unknown argument: --frobnicate
-|128|J0|||--bisect --frobnicate|unknown argument: --frobnicate
-|128|J0|||--64 --bisect -- --probe font --version|check.exe's --version judges no run
-|2|J0|||--64 -- -h|check.exe's -h judges no run
-|3|J0|||--64 --wine /bin/true|error: finding the platform failed: /bin/true is not a platform's loader: asked for its --version, it said true (GNU coreutils)
-|125|J0|||--64 --bisect --wine /bin/true|/bin/true is not a platform's loader
32|1|J1|||--32|
32|1|J1|||--bisect|
32|3|J0||$broken32||the platform cannot run the 32-bit build here: wine: could not load kernel32.dll
32|125|J0||$broken32|--bisect|the platform cannot run the 32-bit build here: wine: could not load kernel32.dll
64|1|J1||||note: the kernel cannot run 32-bit programs here; running the 64-bit build instead
64|1|J1|||--bisect|note: the kernel cannot run 32-bit programs here; running the 64-bit build instead
64|3|J1|||--32|error: running the 32-bit build failed: the kernel cannot run 32-bit programs here
64|128|J1|||--32 --bisect|error: running the 32-bit build failed: the kernel cannot run 32-bit programs here
TABLE

# The checker's expectations reach it, but not when bisecting.
for case in ":--expect open=held --probe font --expect-file=$WORK/e.txt " "--bisect:--probe font --unjudged-status 125 "; do
    STANDIN_CHECK='shift; printf "%s " "$@" >'"$WORK/args; $(judged 1)" expect_run 1 300 "$ROOT/tools/run.sh" --quiet --64 ${case%%:*} \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" -- --expect open=held --probe font --expect-file="$WORK/e.txt"
    [[ $(cat "$WORK/args") == "${case#*:}"* ]] || fail "run.sh ${case%%:*} gave the checker: $(cat "$WORK/args")"
done

# test.sh: a broken 32-bit side fails it; a kernel's refusal skips the i686
# suite, named in the line before the count and in its JUnit file.
if runs_here 32 "test.sh with a broken 32-bit side"; then
    STANDIN_32=$broken32 expect_run 3 600 "$ROOT/tools/test.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" --junit-dir "$WORK/junit" -- -R verdict_tests
    expect_said "the platform's 32-bit side does not work: wine: could not load kernel32.dll"
fi
if runs_here 64 "test.sh skips the i686 suite"; then
    expect_run 0 600 "$ROOT/tools/test.sh" --quiet \
        --build "$BUILD" --prefix "$WORK/prefix" --wine "$WORK/platform" --junit-dir "$WORK/junit" -- -R verdict_tests
    [ "$(tail -n 2 "$WORK/out" | head -n 1)" = "i686 suite skipped: the kernel cannot run 32-bit programs" ] ||
        fail "the skip is not named before the count: $(tail -n 3 "$WORK/out")"
    [[ "$(tail -n 1 "$WORK/out")" =~ ^all:\ [1-9][0-9]*\ passed,\ 0\ failed,\ 1\ skipped$ ]] ||
        fail "the last line does not count the skipped suite: $(tail -n 1 "$WORK/out")"
    [ "$(xmllint --xpath 'string(//testcase/skipped/@message)' "$WORK/junit/i686/junit.xml")" = "$NO_32BIT" ] ||
        fail "the i686 JUnit file does not hold the skip: $(cat "$WORK/junit/i686/junit.xml")"
fi
