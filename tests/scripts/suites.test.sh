# The suites' JUnit files hold the calling run's results, every test case
# of each suite that ran, after every other script test has run (this one
# sorts last): no script test may write into them.
source "$(dirname "$0")/helpers.sh"
LOADER32=$(choose_loader "$(dirname "$REAL_LOADER")" 32)
for target in x86_64 i686; do
    [ "$target" = x86_64 ] || ! WINEPREFIX=$RUN_PREFIX kernel_lacks_32bit || continue
    junit="$BUILD/$target/junit.xml"
    listed=$(ctest --test-dir "$BUILD/$target" -N | grep -c 'Test *#')
    [ "$(xmllint --xpath 'count(//testcase)' "$junit" 2>&1)" = "$listed" ] ||
        fail "$junit does not hold the $listed test cases of the $target suite: $(head -c 300 "$junit" 2>&1)"
done
