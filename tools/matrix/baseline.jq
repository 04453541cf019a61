# The matrix's cells (one array) against an earlier run's ($baseline, one
# array): a cell is the same version, bitness and configuration. Gives
# {differences, missing}: a line per result that changed, and a line per
# cell found on one side only, which is not a difference.
include "results";

def key: "\(.version)/\(.bitness)/\(.config)";

# name → verdict for a cell; a program that ran without a verdict gives
# "no verdict", a survey that was not asked for gives nothing.
def verdicts: (results | map({(.[0]): .[1]}) | add) // {};
def no_verdict($name):
    if ($name | startswith("survey ")) then (if has("survey") then "no verdict" else null end)
    else "no verdict" end;

def compare($before; $after):
    ($before | verdicts) as $old | ($after | verdicts) as $new
    | ([($new | keys_unsorted[]), ($old | keys_unsorted[])] | reduce .[] as $x ([]; if any(.[]; . == $x) then . else . + [$x] end))[] as $name
    | ($old[$name] // ($before | no_verdict($name))) as $was
    | ($new[$name] // ($after | no_verdict($name))) as $is
    | select($was != null and $is != null and $was != $is)
    | "\($after | cell_name | safe): \($name) \($was) → \($is)";

. as $cells
| ($baseline | map({key: key, value: .}) | from_entries) as $old
| ($cells | map({key: key, value: .}) | from_entries) as $new
| {differences: [$cells[] | select($old[key]) | compare($old[key]; .)],
   missing: ([$cells[] | select($old[key] | not) | "not in the baseline: \(cell_name | safe)"]
             + [$baseline[] | select($new[key] | not) | "only in the baseline: \(cell_name | safe)"])}
