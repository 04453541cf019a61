# The matrix's page, JUnit file and CI summary: the state rule and the
# escaping on tables, then a page of fixed cells full of hostile text read
# by xmllint and, where Debian's chromium is installed, by a headless browser.
source "$(dirname "$0")/helpers.sh"
source "$ROOT/tools/matrix/html.sh"

expect_text() { [ "$2" = "$3" ] || fail "$1:"$'\n'"--- got"$'\n'"$2"$'\n'"--- wanted"$'\n'"$3"; }
# rule MODULE EXPRESSION < JSON: what EXPRESSION gives, with MODULE's defs.
rule() { jq -r -L "$ROOT/tools/matrix" "include \"$1\"; $2"; }

# A cell's state. Each case: the cell's members, then the state.
checked='{"check": {"error": null, "openFile": {"verdict": "OPEN"}, "chooseFont": {"verdict": "FONT"}}}'
while read -r line; do
    members=${line% => *} want=${line##* => }
    got=$(jq -c "$members" <<<"$checked" | rule states cell_state)
    expect_text "the state of $members" "$got" "$want"
done <<'CASES'
.check.openFile.verdict = "held" | .check.chooseFont.verdict = "released" => held
.check.openFile.verdict = "released" | .check.chooseFont.verdict = "held" => held
.check.openFile.verdict = "released" | .check.chooseFont.verdict = "released" => released
.check.openFile.verdict = "held" | .check.chooseFont.verdict = "not_judged" => held
.check.openFile.verdict = "released" | .check.chooseFont.verdict = "not_judged" => error
.check.openFile.verdict = "held" | .check.chooseFont.verdict = "held" | .check.error = "exit code 3" => error
.check = null | .reason = "no verdict: it did not end within 90 s" => error
.check = null | .skipped = "32-bit programs do not start here" => skipped
.check.openFile.verdict = "released" | .check.chooseFont.verdict = "released" | .survey = null | .surveyReason = "no verdict" => error
.check.openFile.verdict = "released" | .check.chooseFont.verdict = "released" | .skipped = null => released
CASES

# Text made safe for HTML and XML: markup, quotes, terminal escapes,
# direction overrides and noncharacters; long text cut.
while IFS='|' read -r text want; do
    expect_text "h of $text" "$(jq -n "$text" | rule html-text h)" "$want"
done <<'CASES'
"<img src=x onerror=\"a('&')\">"|&lt;img src=x onerror=&quot;a(&apos;&amp;&apos;)&quot;&gt;
"a\u001b[2J\u0007b\u0085c"|a?[2J?b?c
"\u202eevil\u200b"|?evil?
"line\r\nnext\tx"|line??next?x
"\ufffe\uffff\ufdd0\udbff\udfff ok \ufffd é"|���� ok � é
null|
5.5|5.5
CASES
expect_text "a long text cut" "$(jq -n '"<" * 10' | rule html-text 'hc(3)')" "&lt;&lt;&lt;…"

# Fixed cells: one of each state, hostile text wherever the programs or the
# platform speak, a log far longer than the page shows, and bytes that are
# not UTF-8.
long=$(head -c 100000 /dev/zero | tr '\0' 'A')
jq -cn --arg long "$long" '
    def checked($open; $font): {checker: "2.0.0", platform: {name: "Wine", version: "8.0", build: "wine-8.0 <script>alert(1)</script>"},
        windowsVersion: "6.1.7601\u001b[2J", status: 1, error: null, exitCode: 0, seconds: 1.25, peakMemoryKiB: 35568,
        openFile: {verdict: $open, holder: "0001005e", reason: null}, chooseFont: {verdict: $font, holder: null, reason: null},
        log: (["</pre><img src=x onerror=alert(1)>", $long] + [range(300) | "line \(.)"])};
    def cell($version; $release; $bits; $config): {version: $version, release: $release, bitness: $bits, config: $config, reason: null};
    (cell("host"; "Debian 12 (host)"; 64; "unmanaged") + {check: checked("held"; "released"),
        survey: {kinds: [{kind: "fo\"nt<b>", verdict: "released_late", init: {holder: "other", class: "C&\u0027\u202e<x>"},
                          running: {holder: "nobody", class: null}, after: {holder: "nobody", class: null}}]}, surveyReason: null}),
    {matrix: 1, commit: "5555f96<b>", selection: {versions: ["host", "trixie"], bits: [32, 64], configs: ["unmanaged"], survey: true},
     shard: {index: 1, count: 1}, cells: []},
    (cell("host"; "Debian 12 (host)"; 64; "openbox") + {check: checked("released"; "released")}),
    (cell("host"; "Debian 12 (host)"; 64; "winxp") + {check: (checked("held"; "held") | .error = "TEST.exe ended with exit code 3 <&>"),
        survey: null, surveyReason: "no verdict: survey gave no JSON; <b>bold</b>"}),
    (cell("host"; "Debian 12 (host)"; 64; "desktop") + {check: null, reason: "no verdict: it did not end within 90 s\u0007 BADBYTES"}),
    (cell("host"; "Debian 12 (host)"; 32; "unmanaged") + {skipped: "32-bit programs do not start here: <i>Exec format error</i> \($long)",
        check: null, survey: null}),
    (cell("trixie"; "Debian \"13\" | <b>&amp;</b>"; 64; "unmanaged") + {check: checked("not_judged"; "released")}),
    (cell("trixie"; "Debian \"13\" | <b>&amp;</b>"; 64; "win10\u0027\"><img src=x>") + {check: (checked("released"; "released")
        | .openFile.change = "fix" | .platform.version = "10.0")})' |
    sed 's/BADBYTES/\xff\xfe/' >"$WORK/cells.json"
# version/bitness/config=state, in the order of the page's grids (32-bit first).
want_grid=$(cat <<'GRID'
host/32/unmanaged=skipped
host/64/unmanaged=held
host/64/openbox=released
host/64/winxp=error
host/64/desktop=error
trixie/64/unmanaged=error
trixie/64/win10'"><img src=x>=released
GRID
)

html_page <"$WORK/cells.json" >"$WORK/page.html" || fail "html_page ended with status $?"
! html_page <<<'{"version": "host", not json' >/dev/null 2>&1 || fail "html_page took a line that is not JSON"
[ "$(wc -c <"$WORK/page.html")" -lt 200000 ] || fail "the page is $(wc -c <"$WORK/page.html") bytes: long text was not cut"
xmllint --html --noout "$WORK/page.html" 2>"$WORK/lint" || fail "xmllint cannot read the page: $(head -5 "$WORK/lint")"
[ ! -s "$WORK/lint" ] || fail "xmllint complains about the page: $(head -5 "$WORK/lint")"
! grep -qP '[\x00-\x08\x0b-\x1f\x7f\x{80}-\x{9f}\x{202e}\x{fffe}]' "$WORK/page.html" || fail "control characters in the page: $(grep -P '[\x00-\x08\x0b-\x1f\x7f]' "$WORK/page.html" | cat -A | head -c 300)"

# xpath FILE EXPRESSION: the expression's value in the HTML file.
xpath() { xmllint --html --xpath "$2" "$1" 2>/dev/null; }
# The grid's cells as version/bitness/config=state, one a line.
grid_of() { xpath "$1" '//table[@class="grid"]//td[contains(@class, "cell")]/@*[name()="data-cell" or name()="data-state"]' |
    sed -E 's/^ *data-cell="(.*)"$/\1/; s/^ *data-state="(.*)"$/=\1/' | paste -d '' - - | sed 's/&quot;/"/g; s/&gt;/>/g; s/&lt;/</g'; }
# Nothing hostile became markup, nothing is fetched, no link leaves the page.
expect_markup_safe() {
    expect_text "$2: elements and attributes the cells' text could make" \
        "$(xpath "$1" 'concat(count(//script | //img | //b | //i | //x), " ", count(//@*[starts-with(name(), "on")]), " ", count(//@src), " ", count(//a[not(starts-with(@href, "#"))]))')" "0 0 0 0"
    local title
    title=$(xpath "$1" 'string(//td[@data-cell="host/64/desktop"]/@title)')
    expect_text "$2: the hover text of an error" "$title" "no verdict: it did not end within 90 s? ��"
    for anchor in $(xpath "$1" '//table[@class="grid"]//a/@href' | sed -E 's/^ *href="#(.*)"$/\1/'); do
        [ "$(xpath "$1" "count(//*[@id=\"$anchor\"])")" = 1 ] || fail "$2: the link to #$anchor leads nowhere"
    done
}
expect_text "the page's grid" "$(grid_of "$WORK/page.html")" "$want_grid"
expect_markup_safe "$WORK/page.html" "the page"
expect_text "the hostile survey kind and its holder" \
    "$(xpath "$WORK/page.html" 'concat(string(//table[@class="survey"]//th[@scope="row"]), " | ", string(//table[@class="survey"]//td[@data-bitness="64"]/@title))')" \
    'fo"nt<b> | unmanaged: released_late (other C&'"'"'?<x> → nobody → nobody)
winxp: no verdict: survey gave no JSON; <b>bold</b>'
expect_text "the provenance of a cell" \
    "$(xpath "$WORK/page.html" 'string(//div[@id="cell-0"]//tr[th="platform build"]/td)')" "wine-8.0 <script>alert(1)</script>"
expect_text "the run's header line" "$(xpath "$WORK/page.html" 'string(//p[@class="run"])')" \
    "Run: commit 5555f96<b>; versions host, trixie; 32-bit, 64-bit; configurations unmanaged; with the survey"
expect_text "the change between versions" "$(xpath "$WORK/page.html" 'string(//ul[@class="changes"]/li[1])')" \
    'Open dialog: mixed: HELD ×2, released ×1 on Debian 12 (host, 8.0) → mixed: not judged ×1, released ×1 on Debian "13" | <b>&amp;</b> (8.0)'

# The JUnit file: a case per cell, counted as a CI counts them.
jq -r -s -L "$ROOT/tools/matrix" -f "$ROOT/tools/matrix/junit.jq" "$WORK/cells.json" >"$WORK/junit.xml" || fail "junit.jq failed"
xmllint --noout "$WORK/junit.xml" 2>"$WORK/lint" || fail "the JUnit file is not XML: $(head -3 "$WORK/lint")"
expect_text "the JUnit counts: tests failures errors skipped, then the elements" \
    "$(xmllint --xpath 'concat(//testsuite/@tests, " ", //testsuite/@failures, " ", //testsuite/@errors, " ", //testsuite/@skipped, "; ", count(//testcase), " ", count(//failure), " ", count(//error), " ", count(//skipped), " ", count(//failure[@type="changed"]))' "$WORK/junit.xml")" \
    "7 2 3 1; 7 2 3 1 1"

# The CI summary: a row per version and bitness, each as many cells as its head.
jq -r -s -L "$ROOT/tools/matrix" -f "$ROOT/ci/summary.jq" "$WORK/cells.json" >"$WORK/summary.md" || fail "summary.jq failed"
expect_text "the summary's rows, with their cells counted" \
    "$(grep '^| Debian' "$WORK/summary.md" | sed 's/\\|//g' | awk -F'|' '{ print NF - 2 }' | paste -sd ' ')" "2 2 6 6 6"

# A browser reads the page as xmllint does, and draws the states' colours.
command -v chromium >/dev/null ||
    skip_row "Debian's chromium is not installed (apt-get install chromium)" "the page in a browser" || exit 0
browser() {
    run_child timeout 90 chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$WORK/browser-$1" "${@:2}" "file://$WORK/page.html" 2>"$WORK/browser.log"
}
browser dom --dump-dom >"$WORK/dom.html" || fail "chromium --dump-dom failed: $(tail -3 "$WORK/browser.log")"
expect_text "the browser's grid" "$(grid_of "$WORK/dom.html")" "$want_grid"
expect_markup_safe "$WORK/dom.html" "the browser's page"
convert -version 2>/dev/null | grep -q ImageMagick ||
    skip_row "ImageMagick is not installed (apt-get install imagemagick)" "the screenshot's colours" || exit 0
browser shot --window-size=1000,700 --hide-scrollbars --screenshot="$WORK/shot.png" >/dev/null ||
    fail "chromium --screenshot failed: $(tail -3 "$WORK/browser.log")"
# pixels PNG COLOUR: how many pixels are that colour.
pixels() { convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:; }
for colour in '#f4c7c3' '#c8e6c9' '#e0e0e0' '#e1bee7'; do
    [ "$(pixels "$WORK/shot.png" "$colour")" -ge 200 ] || fail "the screenshot shows under 200 pixels of $colour (colours: $(convert "$WORK/shot.png" -format %k info:))"
done
