# The JUnit XML that test.sh leaves for CI: a file per target holding
# GoogleTest's own test cases, and a file for the script tests.

# write_whole FILE: standard input into FILE, or nothing at all: a file
# that a full disk cut short is never left as if it were whole.
write_whole() {
    local temp
    temp=$(mktemp "$1.XXXXXX" 2>/dev/null) || return 1
    if cat >"$temp" && [ -s "$temp" ] && mv -f "$temp" "$1"; then
        return 0
    fi
    rm -f "$temp"
    return 1
}

# junit_case CLASS NAME [failure|error|skipped MESSAGE [TEXT]]: one test case.
junit_case() {
    local open="    <testcase classname=\"$(xml_text "$1")\" name=\"$(xml_text "$2")\""
    if [ $# -le 2 ]; then
        printf '%s/>\n' "$open"
    else
        printf '%s>\n      <%s message="%s">%s</%s>\n    </testcase>\n' "$open" "$3" "$(xml_text "$4")" "$(xml_text "${5:-}")" "$3"
    fi
}

# junit_document NAME < SUITES: the suites under one root, which carries
# their counts, as readers that look only at the root find them.
junit_document() {
    local body count sums=()
    body=$(cat)
    for count in tests failures errors skipped; do
        sums+=("$count=\"$(xmllint --xpath "sum(//testsuite/@$count)" - <<<"<r>$body</r>" 2>/dev/null || echo 0)\"")
    done
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites name="%s" %s>\n%s\n</testsuites>\n' "$(xml_text "$1")" "${sums[*]}" "$body"
}

# junit_suite NAME CASES...: a suite around cases made by junit_case.
junit_suite() {
    local name=$1 cases
    shift
    cases=$(printf '%s\n' "$@")
    printf '  <testsuite name="%s" tests="%s" failures="%s" errors="%s" skipped="%s">\n%s\n  </testsuite>\n' \
        "$(xml_text "$name")" "$#" "$(grep -c '^      <failure' <<<"$cases")" "$(grep -c '^      <error' <<<"$cases")" \
        "$(grep -c '^      <skipped' <<<"$cases")" "$cases"
}

# gtest_suites TARGET PROGRAM XML CTEST-STATUS: the program's own suites,
# each named with the target; a program that left no readable results, or
# that failed although they hold no failure, is a failing case of its own.
gtest_suites() {
    local target=$1 program=$2 xml=$3 status=$4
    if [ -s "$xml" ] && xmllint --noout "$xml" 2>/dev/null; then
        sed -n '/^ *<testsuite /,/^ *<\/testsuite>/p' "$xml" |
            sed "s/<testsuite name=\"/<testsuite name=\"$target./; s/ classname=\"/ classname=\"$target./"
        [ "$status" != fail ] || [ "$(xmllint --xpath 'count(//failure)' "$xml")" != 0 ] ||
            junit_suite "$target.$program" "$(junit_case "$target.$program" "$program" failure \
                "$program failed after its test cases passed; see ctest.log in the $target build")"
    else
        junit_suite "$target.$program" "$(junit_case "$target.$program" "$program" failure \
            "$program gave no results (ctest: ${status:-not run}); it crashed or was stopped; see ctest.log in the $target build")"
    fi
}

# suite_junit TARGET CTEST-JUNIT GTEST-DIR: the target's document.
suite_junit() {
    local target=$1 ctest_xml=$2 dir=$3 program
    for program in $(xmllint --xpath '//testcase/@name' "$ctest_xml" 2>/dev/null | sed 's/ name="\([^"]*\)"/\1\n/g'); do
        gtest_suites "$target" "$program" "$dir/$program.xml" \
            "$(xmllint --xpath "string(//testcase[@name='$program']/@status)" "$ctest_xml" 2>/dev/null)"
    done | junit_document "$target"
}

# skipped_junit TARGET REASON: the document of a suite that did not run.
skipped_junit() {
    junit_suite "$1" "$(junit_case "$1" "$1 suite" skipped "$2")" | junit_document "$1"
}

# junit_counts FILE: "passed failed skipped" of a document.
junit_counts() {
    local tests failures errors skipped count
    for count in tests failures errors skipped; do
        printf -v "$count" '%s' "$(xmllint --xpath "number(/testsuites/@$count)" "$1" 2>/dev/null || echo 0)"
    done
    echo "$((tests - failures - errors - skipped)) $((failures + errors)) $skipped"
}
