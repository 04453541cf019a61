# What changed between neighbouring versions: given the matrix's cells (one
# array, versions oldest first), one line per result (or, with the survey's
# timelines, per way the capture was released) whose summary over a
# version's cells differs from that over the previous version that has it.
# The same cells in the same order always give the same text.
include "results";

def in_order: reduce .[] as $x ([]; if any(.[]; . == $x) then . else . + [$x] end);

. as $cells
| ([$cells[].release] | in_order) as $releases
# Each cell's pairs, worked out once: they are read once per item.
| [$cells[] | {release, pairs: (results + releases)}] as $rows
| ([$rows[].pairs[][0]] | in_order) as $items
| $items[] as $item
| [$releases[] as $release
   | [$rows[] | select(.release == $release) | .pairs[] | select(.[0] == $item) | .[1]]
   | select(length > 0)
   | {name: ({release: $release} | version_name($cells)), value: summary}]
| range(1; length) as $i
| .[$i - 1] as $before | .[$i] as $after
| select($before.value != $after.value)
| "\($item): \($before.value) on \($before.name) → \($after.value) on \($after.name)"
