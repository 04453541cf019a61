# The survey as a Markdown table: one row per kind, one column per version
# and bitness, each cell the verdict over that column's configurations.
# Where a kind's holders (init → running → after) are not the same in every
# column, each cell gives them too.
include "results";

def in_order: reduce .[] as $x ([]; if any(.[]; . == $x) then . else . + [$x] end);

[.[] | select(has("survey"))] as $cells
| ([$cells[] | {release, bitness}] | in_order) as $columns
| ([$cells[] | .survey.kinds[]?.kind] | in_order) as $kinds
| ("| kind | " + ($columns | map("\(.release | safe_cell), \(.bitness)-bit") | join(" | ")) + " |"),
  ("|---|" + ($columns | map("---|") | join(""))),
  ($kinds[] as $kind
   | [$columns[] as $column
      | [$cells[] | select(.release == $column.release and .bitness == $column.bitness)
         | .survey.kinds[]? | select(.kind == $kind)]
      | {verdict: (map(.verdict // "?" | safe) | summary),
         holders: (map(holders_text | safe) | if length == 0 then "-" else summary end),
         ran: (length > 0)}] as $row
   | ($row | map(select(.ran) | .holders) | unique | length > 1) as $differ
   | "| \($kind | safe_cell) | "
     + ($row | map(if .ran | not then "–"
                   elif $differ then "\(.verdict) (\(.holders))"
                   else .verdict end | safe_cell) | join(" | ")) + " |")
