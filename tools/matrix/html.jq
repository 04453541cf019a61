# A --json file's lines (one array) as one HTML page that needs nothing
# else: a grid of cells per bitness, the survey (kinds × versions, a group
# of columns per bitness), the change lines ($changes, from changes.jq) and
# each cell's provenance. $css is the style.
# Every string in a cell comes from the programs under test or the platform,
# so each one goes through `h`, in text and in attributes alike.
include "results";
include "states";
include "html-text";

def in_order: reduce .[] as $x ([]; if any(.[]; . == $x) then . else . + [$x] end);

def anchor($i): "cell-\($i)";
def key: "\(.version)/\(.bitness)/\(.config)";

def grid($cells; $bits):
    [$cells[] | select(.cell.bitness == $bits)] as $mine
    | ([$mine[].cell.version] | in_order) as $versions
    | ([$mine[].cell.config] | in_order) as $configs
    | "<table class=\"grid\" data-bitness=\"\($bits | h)\">",
      "<thead><tr><th scope=\"col\">Debian</th>"
        + ($configs | map("<th scope=\"col\">\(hc(200))</th>") | join("")) + "</tr></thead>",
      "<tbody>",
      ($versions[] as $version
       | ([$mine[] | select(.cell.version == $version)]) as $row
       | "<tr><th scope=\"row\">\($row[0].cell | version_name($cells | map(.cell)) | hc(200))</th>"
         + ($configs | map(. as $config
             | [$row[] | select(.cell.config == $config)]
             | if length == 0 then "<td class=\"none\" title=\"not run\">–</td>"
               else map("<td class=\"cell \(.state)\" data-cell=\"\(.cell | key | hc(300))\" data-state=\"\(.state)\""
                        + " title=\"\(.cell | cell_why | hc(400))\"><a href=\"#\(anchor(.index))\">\(.state | state_text)</a></td>")
                    | join("") end) | join(""))
         + "</tr>"),
      "</tbody></table>";

# A survey verdict's class: one of the known words, else "other".
def verdict_class: if IN("released", "released_late", "held", "taken", "not_shown", "not_judged") then . else "other" end;

# The survey of one version and bitness in one table cell: the verdict over
# its configurations, and each configuration's holders, or why it has none,
# on hover.
def survey_cell($kind; $bits; $row):
    [$row[] | .config as $config | .surveyReason as $why
     | if .survey == null then {config: $config, why: ($why // (if .skipped then "skipped: \(.skipped)" else null end) // "no survey")}
       else .survey.kinds[]? | select(.kind == $kind)
            | {config: $config, verdict: (.verdict // "?"), holders: holders_text} end]
    | (map(.verdict // empty | safe)) as $verdicts
    # One line per configuration; "&#10;" breaks the line in a tooltip.
    | (map("\(.config): " + if .verdict then "\(.verdict) (\(.holders))" else .why end | hc(300)) | join("&#10;")) as $title
    | if ($verdicts | length) == 0 then "<td class=\"none\" data-bitness=\"\($bits | h)\" title=\"\($title)\">–</td>"
      else "<td class=\"verdict \(if ($verdicts | unique | length) == 1 then $verdicts[0] | verdict_class else "mixed" end)\""
           + " data-bitness=\"\($bits | h)\" title=\"\($title)\">\($verdicts | summary | hc(200))</td>" end;

# One table, kinds down, and across a group of versions per bitness, so
# that a side whose survey did not run takes a column, not a table.
def survey_grid($cells):
    [$cells[].cell | select(has("survey"))] as $mine
    | [$mine[].bitness] as $all | ($all | in_order | sort) as $bitnesses
    | [$bitnesses[] as $bits | {bits: $bits, versions: ([$mine[] | select(.bitness == $bits) | .version] | in_order)}] as $groups
    | ([$mine[] | .survey.kinds[]?.kind] | in_order) as $kinds
    | "<table class=\"survey\">",
      "<thead><tr><th scope=\"col\" rowspan=\"2\">kind</th>"
        + ($groups | map("<th scope=\"colgroup\" colspan=\"\(.versions | length)\">\(.bits | h)-bit</th>") | join("")) + "</tr>",
      "<tr>" + ([$groups[] | .bits as $bits | .versions[] as $v
                 | [$mine[] | select(.bitness == $bits and .version == $v)][0]
                 | "<th scope=\"col\">\(version_name($cells | map(.cell)) | hc(200))</th>"] | join("")) + "</tr></thead>",
      "<tbody>",
      ($kinds[] as $kind
       | "<tr><th scope=\"row\">\($kind | hc(200))</th>"
         + ([$groups[] | .bits as $bits | .versions[] as $v
             | survey_cell($kind; $bits; [$mine[] | select(.bitness == $bits and .version == $v)])] | join(""))
         + "</tr>"),
      "</tbody></table>";

# A row of the details' table: a name and a value that may be missing.
def fact($name; $value): "<tr><th>\($name)</th><td>\(if $value == null then "–" else $value | hc(2000) end)</td></tr>";

def dialog_facts($name):
    if . == null then fact($name; null)
    else fact($name; "\(.verdict | verdict_text)"
        + (if .holder == null then "" else ", holder \(.holder)" end)
        + (if .reason == null then "" else ", \(.reason)" end)
        + (if .expected == null then "" else ", expected \(.expected | verdict_text)" end)
        + (if .change == null then "" else ", \(.change)" end)) end;

def survey_details:
    if (has("survey") | not) or cell_state == "skipped" then empty
    elif .survey == null then "<p>Survey: \(.surveyReason // "no survey" | hc(2000))</p>"
    else "<table class=\"kinds\"><thead><tr><th>kind</th><th>init</th><th>running</th><th>after</th><th>verdict</th></tr></thead><tbody>",
         (.survey.kinds[]? | "<tr><th>\(.kind | hc(200))</th><td>\(.init | holder_text | hc(300))</td><td>\(.running | holder_text | hc(300))</td>"
             + "<td>\(.after | holder_text | hc(300))</td><td class=\"verdict \(.verdict // "?" | safe | verdict_class)\">\(.verdict // "?" | hc(200))"
             + (if .error == null then "" else " (error \(.error | hc(200)))" end) + "</td></tr>"),
         "</tbody></table>" end;

# The log's first lines, each cut: enough to see what happened.
def log_details:
    if (.check.log? | type) != "array" then empty
    else .check.log as $log
    | "<p>The checker's log (\($log | length) lines\(if ($log | length) > 200 then ", the first 200 shown" else "" end)):</p>",
      "<pre class=\"log\">" + ($log[:200] | map(hc(500)) | join("\n")) + "</pre>" end;

def details($cells):
    .cell as $cell
    | "<div class=\"detail \(.state)\" id=\"\(anchor(.index))\">",
      "<h3>\($cell | cell_name | hc(300)) <span class=\"state\">\(.state | state_text)</span></h3>",
      "<table class=\"facts\"><tbody>",
      fact("why"; $cell | cell_why),
      # A cell with no checker's report has nothing more to tell than why.
      ($cell.check // empty | .platform as $p
       | fact("platform"; if $p == null then null else "\($p.name // "?") \($p.version // "?")" end),
         fact("platform build"; $p.build?),
         fact("reports Windows"; .windowsVersion),
         fact("checker"; .checker),
         fact("checker status"; .status),
         fact("seconds"; .seconds),
         fact("the cell's seconds"; $cell.wallSeconds),
         fact("exit code of TEST.exe"; .exitCode),
         fact("peak memory (KiB)"; .peakMemoryKiB),
         fact("error"; .error),
         (.openFile | dialog_facts("Open dialog")),
         (.chooseFont | dialog_facts("Font dialog"))),
      "</tbody></table>",
      ($cell | survey_details),
      ($cell | log_details),
      "<p><a href=\"#top\">back to the grid</a></p></div>";

# A run's header line in words, for the page's provenance.
def run_text: "commit \(.commit // "unknown")"
    + (.selection // {} | "; versions \(.versions // [] | join(", ")); \(.bits // [] | map("\(.)-bit") | join(", "));"
        + " configurations \(.configs // [] | join(", "))\(if .survey then "; with the survey" else "" end)")
    + (.shard // {} | if (.count // 1) > 1 then "; shard \(.index) of \(.count)" else "" end);

[.[] | select(type == "object" and has("matrix"))] as $runs
| [cell_lines | to_entries[] | {index: .key, cell: .value, state: (.value | cell_state)}] as $cells
| ([$cells[].cell.bitness] | in_order | sort) as $bitnesses
| "<!DOCTYPE html>",
  "<html lang=\"en\"><head><meta charset=\"utf-8\">",
  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
  "<title>Capture matrix</title>",
  "<style>\n\($css)</style></head>",
  "<body id=\"top\">",
  "<h1>Does the mouse capture come free when a modal dialog runs?</h1>",
  "<p class=\"summary\">\($cells | length) cells: "
    + (["held", "released", "skipped", "error"] | map(. as $s | "\($cells | map(select(.state == $s)) | length) \($s | state_text)") | join(", "))
    + ". Hover a cell for why; follow it for its details.</p>",
  ($runs[] | "<p class=\"run\">Run: \(run_text | hc(1000))</p>"),
  "<p class=\"legend\"><span class=\"cell held\">HELD</span> a dialog ran with the capture held "
    + "<span class=\"cell released\">released</span> both dialogs ran without it "
    + "<span class=\"cell skipped\">skipped</span> could not run here "
    + "<span class=\"cell error\">error</span> no verdict</p>",
  "<h2>The checker</h2>",
  ($bitnesses[] as $bits | "<h3>\($bits | h)-bit</h3>", grid($cells; $bits)),
  (if any($cells[]; .cell | has("survey")) then
     "<h2>The survey</h2>",
     "<p>Each cell: the verdict over the version's configurations; hover for each configuration's holders (init → running → after).</p>",
     survey_grid($cells)
   else empty end),
  "<h2>What changed between neighbouring versions</h2>",
  (if $changes == "" then "<p>nothing</p>"
   else "<ul class=\"changes\">", ($changes | split("\n")[] | "<li>\(hc(1000))</li>"), "</ul>" end),
  "<h2>The cells</h2>",
  ($cells[] | details($cells)),
  "</body></html>"
