# The scripts' rules, each held to a table of inputs and answers.
source "$(dirname "$0")/helpers.sh"

# expect_rule ANSWER RULE ARGS...
expect_rule() {
    local want=$1 got
    shift
    got=$("$@") || true
    [ "$got" = "$want" ] || fail "$(printf '%q ' "$@")gave '$got', not '$want'"
}

while IFS='|' read -r path fault; do
    expect_rule "$fault" path_fault "$path"
done <<'TABLE'
/tmp/x/a;/tmp/x/evil.sh|it holds a ';'
/tmp/it's mine/prefix|
/tmp/with space/build|
/tmp/a"b|it holds one of " \ $ `
/tmp/a\b|it holds one of " \ $ `
/tmp/$HOME|it holds one of " \ $ `
/tmp/`id`|it holds one of " \ $ `
/tmp/a=b/wine|it holds a '='
TABLE
expect_rule "it holds a control character" path_fault $'/tmp/a\nb'
expect_rule "it holds a control character" path_fault $'/tmp/a\tb'

# As the checker reads --timeout: strtod, whole seconds rounded up, at most
# a day; anything it refuses leaves the default.
while read -r value limit; do
    expect_rule "$limit" seconds_limit "$value" 60
done <<'TABLE'
1e2 100
100 100
0.5 1
2.01 3
0x10 16
86400 86400
86401 60
0 60
-5 60
1e2x 60
nan 60
inf 60
abc 60
TABLE
expect_rule 60 seconds_limit "" 60
expect_rule 60 seconds_limit "5 " 60

kernel_refuses_32bit "-: line 1: /usr/lib/wine/wine: cannot execute binary file: Exec format error" ||
    fail "an exec format error is not the kernel's refusal"
for said in "wine: could not load kernel32.dll, status c0000135" "0024:err:module:import_dll error loading ntdll.dll"; do
    ! kernel_refuses_32bit "$said" || fail "a broken 32-bit side passes for the kernel's refusal: $said"
done
! kernel_refuses_32bit "" || fail "no output passes for the kernel's refusal"

while read -r status meaning; do
    expect_rule "$meaning" bisect_status "$status"
done <<'TABLE'
0 0
1 1
2 125
3 125
124 125
125 125
130 130
143 143
129 129
TABLE

expect_rule "--probe|font|--json|" eval 'without_expectations --expect open=held --probe font --expect-file=x.txt --json --expect-file y.txt | tr "\0" "|"'
expect_rule "--json|" eval 'without_expectations --json --expect | tr "\0" "|"'

while read -r marker fault looks action; do
    expect_rule "$action" prefix_action "$marker" "${fault//-/}" "$looks"
done <<'TABLE'
creating - yes rebuild
creating broken yes rebuild
complete broken yes rebuild
complete - yes use
none - yes use
none broken yes refuse
none broken no foreign
complete broken no rebuild
TABLE
