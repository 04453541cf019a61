# A cell's row in the matrix's table and its line of progress.
include "results";

def cells: [.release, (.bitness | tostring), .config]
    + if .check == null then [.reason, "–", "–", "–", "–", "–"]
      else .check | [(.platform | if . == null then "?" else .build // "\(.name) \(.version)" end),
                     (.windowsVersion // "?"), (.openFile.verdict | verdict_text),
                     (.chooseFont.verdict | verdict_text), (.status | tostring),
                     (.seconds // "?" | tostring)] end;

def row: "| " + (cells | map(safe_cell) | join(" | ")) + " |";

def progress: cell_name + ": "
    + if .check == null then .reason
      else "Open dialog \(.check.openFile.verdict | verdict_text), Font dialog \(.check.chooseFont.verdict | verdict_text), status \(.check.status), \(.check.seconds) s" end
    + if (.survey // null) != null then ", survey " + ([.survey.kinds[]? | .verdict] | map(tostring) | summary)
      elif has("survey") then ", survey: \(.surveyReason)" else "" end
    | safe;
