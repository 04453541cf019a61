# The suites' JUnit files hold the calling run's results: GoogleTest's own
# test cases, every suite named with its target, after every other script
# test has run (this one sorts last): no script test may write into them.
source "$(dirname "$0")/helpers.sh"
for target in x86_64 i686; do
    junit="$BUILD/$target/junit.xml"
    xmllint --noout "$junit" || fail "$junit does not parse"
    if [ "$target" = i686 ] && ! kernel_runs_32bit; then
        [ "$(xmllint --xpath 'string(//testcase/skipped/@message)' "$junit")" = "$NO_32BIT" ] ||
            fail "$junit does not say why the suite was skipped: $(head -c 300 "$junit")"
        continue
    fi
    xpath() { xmllint --xpath "$1" "$junit" 2>&1; }
    [ "$(xpath 'count(//testsuite[not(starts-with(@name, "'$target'."))])')" = 0 ] ||
        fail "$junit has suites not named with $target: $(xpath '//testsuite/@name' | head -c 300)"
    for count in tests failures errors skipped; do
        [ "$(xpath "number(/testsuites/@$count)")" = "$(xpath "sum(//testsuite/@$count)")" ] ||
            fail "$junit: the root's $count is not its suites' sum"
    done
    # Each of a program's own cases is there, by suite and name.
    suite="" cases=0
    while IFS= read -r line; do
        case $line in
            "  "*) [ -n "$suite" ] || continue
                line=${line#  } cases=$((cases + 1))
                [ "$(xpath "count(//testsuite[@name='$target.$suite']/testcase[@name='${line%% *}'])")" = 1 ] ||
                    fail "$junit lacks verdict_tests' case $suite.${line%% *}" ;;
            [!\ ]*.) suite=${line%.} ;;
        esac
    done < <(env WINEPREFIX="$RUN_PREFIX" "$(choose_loader "$(dirname "$REAL_LOADER")" "$([ "$target" = i686 ] && echo 32 || echo 64)")" \
        "$BUILD/$target/bin/verdict_tests.exe" --gtest_list_tests | tr -d '\r')
    [ "$cases" -gt 1 ] || fail "verdict_tests listed $cases cases"
    [ "$(xpath 'count(//testcase[@name="verdict_tests"])')" = 0 ] || fail "$junit holds one case per program"
    # A CI's reader counts the same cases.
    read_by=$(/usr/bin/python3 -c 'import sys, junitparser
print(sum(1 for suite in junitparser.JUnitXml.fromfile(sys.argv[1]) for case in suite))' "$junit" 2>&1)
    [ "$read_by" = "$(xpath 'count(//testcase)')" ] || fail "junitparser reads $read_by cases in $junit"
done
