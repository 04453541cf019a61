# A cell's row in the matrix's table, its line of progress, and the
# closing line over all the cells.
include "results";

# The platform column says why a cell has no result; the status column
# tells skipped and error apart from the checker's own status.
def cells: [.release, (.bitness | tostring), .config]
    + if state == "skipped" then ["skipped: \(.skipped)", "–", "–", "–", "skipped", "–"]
      elif .check == null then [why_not, "–", "–", "–", "error", "–"]
      else .check | [(.platform | if type != "object" then "?" else .build // "\(.name) \(.version)" end),
                     (.windowsVersion // "?"), (.openFile.verdict | verdict_text),
                     (.chooseFont.verdict | verdict_text), (.status | tostring),
                     (.seconds // "?" | tostring)] end;

def row: "| " + (cells | map(safe_cell) | join(" | ")) + " |";

def progress: cell_name + ": "
    + if state == "skipped" then "skipped: \(.skipped)"
      elif .check == null then why_not
      else "Open dialog \(.check.openFile.verdict | verdict_text), Font dialog \(.check.chooseFont.verdict | verdict_text), status \(.check.status), \(.check.seconds) s" end
    + if state == "skipped" or .check == null then ""
      elif (.survey // null) != null then ", survey " + ([.survey.kinds[]? | .verdict] | map(tostring) | summary)
      elif has("survey") then ", survey: \(.surveyReason)" else "" end
    | safe;

# The closing line over an array of cells: how many ran, were skipped (and
# why) and failed.
def closing:
    (map(state) | {ran: map(select(. == "ran")) | length, skipped: map(select(. == "skipped")) | length,
                   failed: map(select(. == "error")) | length}) as $n
    | ([.[] | select(state == "skipped") | .skipped] | unique | map(safe) | join("; ")) as $why
    | "\(length) cell\(if length == 1 then "" else "s" end): \($n.ran) ran, \($n.skipped) skipped\(if $why == "" then "" else " (\($why))" end), \($n.failed) failed";

# The cells with no verdict, one line each.
def failures: .[] | select(state == "error") | "\(cell_name): \(why_not)" | safe;
