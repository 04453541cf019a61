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

# STATUS:NEVER:BISECT; NEVER marks a step that fails at every commit, and
# outweighs any status.
for case in 0::0 1::1 0:never:128 1:never:128 2::128 3::125 3:never:128 124::125 125::125 126::125 127::125 128::125 129::129 130::130 \
    130:never:130 143::143 255::125; do
    IFS=: read -ra f <<<"$case"; expect_rule "${f[2]}" bisect_status "${f[0]}" "${f[1]}"
done

# The kernel's answer is the one the platform's own 32-bit loader meets.
loader32=$(choose_loader "$(dirname "$REAL_LOADER")" 32)
if [ "$(head -c 5 "$loader32" | od -An -c | tr -d ' ')" = '177ELF001' ]; then
    said=$(bash -c 'exec "$1" --version' - "$loader32" 2>&1 || true)
    kernel_runs_32bit && ! kernel_refuses_32bit "$said" || { ! kernel_runs_32bit && kernel_refuses_32bit "$said"; } ||
        fail "the kernel's answer ($KERNEL_32BIT) is not what $loader32 met: $said"
fi

# A probe that could not run for another reason (a temporary folder mounted
# noexec) must not leave a 32-bit side out: only the kernel's refusal does.
# The probe's runner is played by a function, so that each answer is asked.
for case in "Permission denied:126:yes" "Exec format error:126:no" ":0:yes"; do
    IFS=: read -ra f <<<"$case"
    timeout() { echo "-: line 1: /tmp/true32.AbCdEf: cannot execute binary file: ${f[0]}"; return "${f[1]}"; }
    answer=$(KERNEL_32BIT="" && kernel_runs_32bit && echo yes || echo no)
    unset -f timeout
    [ "$answer" = "${f[2]}" ] || fail "a probe that met '${f[0]}' (status ${f[1]}) answered $answer, not ${f[2]}"
done

# The edges of the escapes: what a byte or character becomes in XML and on
# a terminal (- for "as it was"; FFFDn for n times U+FFFD).
while IFS='|' read -r text xml terminal; do
    printf -v text "$text"
    for rule in xml_text:$xml terminal_text:$terminal; do
        want=${rule#*:}
        [ "$want" != - ] || want=$text
        [[ ! $want =~ ^FFFD([0-9]?)$ ]] || want=$(printf '\xef\xbf\xbd%.0s' $(seq "${BASH_REMATCH[1]:-1}"))
        got=$("${rule%%:*}" "$text"; echo .) got=${got%.}
        [ "$got" = "$want" ] || fail "${rule%%:*} $(printf %q "$text") gave $(printf %q "$got"), not $(printf %q "$want")"
    done
done <<'TABLE'
\001|FFFD|FFFD
\010|FFFD|FFFD
\011|&#9;|-
\012|&#10;|-
\013|FFFD|FFFD
\037|FFFD|FFFD
 |-|-
~|-|-
\177|-|FFFD
\302\237|-|FFFD
\302\240|-|-
<&>"'|&lt;&amp;&gt;&quot;&apos;|-
\355\237\277|-|-
\355\240\200|FFFD3|FFFD3
\356\200\200|-|-
\357\277\275|-|-
\357\277\276|FFFD|-
\364\217\277\277|-|-
\364\220\200\200|FFFD4|FFFD4
\300\257|FFFD2|FFFD2
\377|FFFD|FFFD
TABLE


expect_rule "--probe|font|--json|" eval 'without_expectations --expect open=held --probe font --expect-file=x.txt --json --expect-file y.txt | tr "\0" "|"'
expect_rule "--json|" eval 'without_expectations --json --expect | tr "\0" "|"'

# MARKER:FAULT:LOOKS-LIKE-A-PREFIX:ACTION
for case in creating::yes:rebuild complete:broken:yes:rebuild complete::yes:use none::yes:use \
    none:broken:yes:refuse none:broken:no:foreign complete:broken:no:rebuild; do
    IFS=: read -ra f <<<"$case"; expect_rule "${f[3]}" prefix_action "${f[@]:0:3}"
done

# Where the checker's JSON goes, as it reads its arguments.
for case in ":none" "--json:stdout" "--json out.json:file out.json" "--json out.txt:stdout" "--json=out.txt:file out.txt" \
    "--json=a=b.json:file a=b.json" "--json outjson:stdout" "--json a.json --json:stdout" "--json --json=b:file b" "--junit x.json --json:stdout" \
    "--expect --json:none" "--expect-file a.json --json:stdout" "-- --json=x.json:none" "--tap --json x.json --quiet:file x.json"; do
    # shellcheck disable=SC2086
    expect_rule "${case##*:}" json_report_choice ${case%:*}
done
for case in ":" "--json:" "--help:--help" "--probe font -h:-h" "/?:/?" "--version --help:--version" "-- --help:"; do
    # shellcheck disable=SC2086
    expect_rule "${case##*:}" judges_nothing ${case%:*}
done

# A report judges a run only whole: a checker, a platform, the status it
# ended with, and a verdict for each probe that counts (check), or for
# each kind (survey). PROGRAM|STATUS|REPORT|FAULT (empty: it judges)
ok='"checker": "2.0.0", "platform": {"name": "Wine", "version": "8.0"}'
while IFS='|' read -r program status report want; do
    printf '%s' "$report" >"$WORK/report.json"
    expect_rule "$want" report_fault "$program" "$status" "$WORK/report.json"
done <<TABLE
check|1|{$ok, "probe": "both", "status": 1, "openFile": {"verdict": "held"}, "chooseFont": {"verdict": "released"}}|
check|0|{$ok, "probe": "font", "status": 0, "openFile": {"verdict": "held"}, "chooseFont": {"verdict": "released"}}|
check|125|{$ok, "probe": "open", "status": 125, "openFile": {"verdict": "not_judged"}}|
check|0||it wrote no JSON report (status 0)
check|0|{$ok, "probe": "both", "status": 0|its JSON report does not parse (status 0)
check|0|{$ok, "probe": "both", "status": 0, "openFile": {"verdict": "released"}, "chooseFont": {"verdict": "released"}} {}|its report is not one JSON object
check|0|[]|its report is not one JSON object
check|0|{"checker": "", "platform": {"name": "Wine", "version": "8.0"}, "status": 0, "error": "x"}|its report names no checker; it said: x
check|0|{"checker": "2.0.0", "platform": {"name": "Wine", "version": null}, "status": 0}|its report names no platform
check|0|{$ok, "probe": "both", "status": 1, "openFile": {"verdict": "held"}, "chooseFont": {"verdict": "released"}}|its report says status 1, and it ended with 0
check|2|{$ok, "probe": "both", "status": null}|its report says status null, and it ended with 2
check|0|{$ok, "probe": "all", "status": 0}|its report names no probe
check|0|{$ok, "probe": "both", "status": 0, "openFile": {"verdict": "released"}}|its report gives no verdict for chooseFont
check|0|{$ok, "probe": "both", "status": 0, "openFile": {"verdict": "released_late"}, "chooseFont": {}}|its report gives no verdict for openFile and chooseFont
survey|0|{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "status": 0, "kinds": [{"verdict": "released_late"}, {"verdict": "taken"}]}|
survey|0|{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "status": 0, "kinds": []}|its report holds no kinds
survey|0|{"survey": 1, "platform": {"name": "Wine", "version": "8.0"}, "status": 0, "kinds": [{"verdict": "lost"}]}|its report gives a kind no verdict
survey|0|{$ok, "status": 0, "kinds": [{"verdict": "held"}]}|its report is not the survey's
TABLE
