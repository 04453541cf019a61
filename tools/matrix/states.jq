# A cell's state in one word and why, shared by the page, the JUnit file
# and the CI summary, so that they never disagree about a cell.
include "results";

# The cells among a --json file's lines: the lines with a version, so that
# a run's header line (and a file from before it had one) reads alike.
def cell_lines: map(select(type == "object" and has("version")));

# The matrix's own state (results.jq's: skipped, error, ran) with a ran
# cell told apart: "held" when either dialog ran with the capture held,
# "released" when both ran without it. A dialog not judged, or a run that
# failed (the checker's error), leaves nothing to tell: "error", and a HELD
# next to a failed run is still an error, since that run cannot be trusted
# to have measured anything.
def cell_state:
    state as $state
    | if $state != "ran" then $state
      elif (.check.error // null) != null then "error"
      elif [.check.openFile.verdict, .check.chooseFont.verdict] | any(. == "held") then "held"
      elif [.check.openFile.verdict, .check.chooseFont.verdict] | all(. == "released") then "released"
      else "error" end;

def state_text: {"held": "HELD", "released": "released", "skipped": "skipped", "error": "error"}[.] // "?";

# A dialog's verdict with its holder where one held the capture.
def dialog_text($name): "\($name) \(.verdict | verdict_text)"
    + (if .holder == null then "" else " (holder \(.holder))" end)
    + (if .reason == null then "" else ": \(.reason)" end)
    + (if .change == null then "" else " [\(.change)]" end);

# One line on why the cell is in its state; raw, for each reader to escape.
def cell_why:
    if (.skipped // null) != null then .skipped | tostring
    elif .check == null then .reason // "no result" | tostring
    else .surveyReason as $survey | .check
         | ([(.openFile | dialog_text("Open dialog")), (.chooseFont | dialog_text("Font dialog"))]
            + (if .error == null then [] else ["error: \(.error)"] end)
            + ["status \(.status)"]
            + (if $survey == null then [] else ["survey: \($survey)"] end)) | join("; ") end;

# A verdict that the checker calls a change from what was expected (a
# regression or a fix) fails a CI as a HELD does.
def cell_changed: [.check.openFile.change?, .check.chooseFont.change?] | any(. != null);
