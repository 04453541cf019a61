# The scripts' rules, each held to a table of inputs and answers.
source "$(dirname "$0")/helpers.sh"

# expect_rule ANSWER RULE ARGS...
expect_rule() { local got; got=$("${@:2}") || true; [ "$got" = "$1" ] || fail "$(printf '%q ' "${@:2}")gave '$got', not '$1'"; }

q='it holds one of " \ $ `'
for case in "/tmp/x/a;/tmp/x/evil.sh|it holds a ';'" "/tmp/it's mine/with space|" "/tmp/a=b/wine|it holds a '='" \
    $'/tmp/a\tb|it holds a control character' "/tmp/a\"b|$q" '/tmp/a\b|'"$q" '/tmp/$HOME|'"$q" '/tmp/`id`|'"$q"; do
    expect_rule "${case#*|}" path_fault "${case%%|*}"
done

# As the checker reads --timeout: strtod, whole seconds rounded up, at most
# a day; anything it refuses leaves the default.
for case in 1e2:100 0.5:1 2.01:3 0x10:16 86400:86400 86401:60 0:60 -5:60 1e2x:60 nan:60 "5 :60" :60; do
    expect_rule "${case#*:}" seconds_limit "${case%:*}" 60
done

# Only the kernel's own refusal lets the 64-bit build stand in.
kernel_refuses_32bit "-: line 1: /usr/lib/wine/wine: cannot execute binary file: Exec format error" || fail "the kernel's refusal is not known"
! kernel_refuses_32bit "0024:err:module:import_dll error loading ntdll.dll" || fail "a 32-bit side that fails is taken for the kernel's refusal"

for case in 0:0 1:1 2:125 124:125 129:129 130:130 143:143; do expect_rule "${case#*:}" bisect_status "${case%:*}"; done

expect_rule "--probe|font|--json|" eval 'without_expectations --expect open=held --probe font --expect-file=x.txt --json --expect-file y.txt | tr "\0" "|"'
expect_rule "--json|" eval 'without_expectations --json --expect | tr "\0" "|"'

# MARKER:FAULT:LOOKS-LIKE-A-PREFIX:ACTION
for case in creating::yes:rebuild complete:broken:yes:rebuild complete::yes:use none::yes:use \
    none:broken:yes:refuse none:broken:no:foreign complete:broken:no:rebuild; do
    IFS=: read -ra f <<<"$case"; expect_rule "${f[3]}" prefix_action "${f[@]:0:3}"
done
