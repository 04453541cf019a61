# The matrix's cells (one array) as JUnit XML for a CI's test report: a
# test case per cell, named for its version and bitness (the class) and
# its configuration. A HELD, or a verdict the checker calls a change from
# what was expected, fails; a cell without a verdict is an error; one that
# could not run here is skipped.
include "results";
include "states";
include "html-text";

def outcome: if .state == "skipped" then "skipped"
    elif .state == "error" then "error"
    elif .state == "held" or (.cell | cell_changed) then "failure"
    else "passed" end;

[cell_lines[] | {cell: ., state: cell_state}] | map(. + {outcome: outcome}) as $cases
| "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
  "<testsuites name=\"capture matrix\">",
  "<testsuite name=\"capture matrix\" tests=\"\($cases | length)\" failures=\"\($cases | map(select(.outcome == "failure")) | length)\""
    + " errors=\"\($cases | map(select(.outcome == "error")) | length)\" skipped=\"\($cases | map(select(.outcome == "skipped")) | length)\">",
  ($cases[]
   | (.cell | cell_why | hc(2000)) as $why
   | "  <testcase classname=\"\(.cell | "\(.release), \(.bitness)-bit" | hc(300))\" name=\"\(.cell.config | hc(300))\""
     + " time=\"\(.cell.check.seconds? // 0 | if type == "number" then . else 0 end)\">"
     + ({"skipped": "<skipped message=\"\($why)\"/>",
         "error": "<error type=\"no_verdict\" message=\"\($why)\">\($why)</error>",
         "failure": "<failure type=\"\(if .state == "held" then "held" else "changed" end)\" message=\"\($why)\">\($why)</failure>",
         "passed": ""}[.outcome])
     + "</testcase>"),
  "</testsuite>",
  "</testsuites>"
