# The matrix's cells (one array) as a Markdown grid per bitness, versions
# down and configurations across, for a CI's page of the run (GitHub's
# step summary); the HTML page has the reasons and details.
include "results";
include "states";

def in_order: reduce .[] as $x ([]; if any(.[]; . == $x) then . else . + [$x] end);

cell_lines as $cells
| ([$cells[].bitness] | in_order | sort)[] as $bits
| [$cells[] | select(.bitness == $bits)] as $mine
| ([$mine[].version] | in_order) as $versions
| ([$mine[].config] | in_order) as $configs
| "### \($bits | safe_cell)-bit",
  "",
  "| Debian | " + ($configs | map(safe_cell) | join(" | ")) + " |",
  "|---|" + ($configs | map("---|") | join("")),
  ($versions[] as $version
   | [$mine[] | select(.version == $version)] as $row
   | "| \($row[0] | version_name($cells) | safe_cell) | "
     + ($configs | map(. as $config
         | [$row[] | select(.config == $config) | cell_state | state_text | if . == "HELD" then "**HELD**" else . end]
         | if length == 0 then "–" else join(", ") end) | join(" | ")) + " |"),
  ""
