# The matrix's cells against an earlier run's: which cells the two share,
# and what changed in those they share. A cell is the same version,
# bitness and configuration (its key).
include "results";
include "shards";

def set: map({(.): true}) | add // {};

# sides(run; baseline; others): from the keys of the run's cells and of the
# baseline's, those both have and those on one side only. The keys in
# others (the cells another shard runs) are on neither side.
def sides($run; $baseline; $others):
    ($others | set) as $away
    | ([$baseline[] | select($away[.] | not)]) as $kept
    | ($kept | set) as $old | ($run | set) as $new
    | {shared: [$run[] | select($old[.])], onlyRun: [$run[] | select($old[.] | not)],
       onlyBaseline: [$kept[] | select($new[.] | not)]};

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

# differences($baseline): for an array of the run's cells, a line per result
# that changed; a cell skipped on either side has no result to change.
def differences($baseline):
    ($baseline | map({key: key, value: .}) | from_entries) as $old
    | [.[] | select(state != "skipped") | . as $cell | $old[key]
       | select(. != null and state != "skipped") | compare(.; $cell)];
