# Shards' --json outputs merged into the cells of the one run they split:
# given [{file, lines}], {errors: [...]} when they are not exactly the
# shards of one selection at one commit, else {header, cells} as the
# unsharded run would have them.
include "results";
include "shards";

def headers: [.lines[] | select(type == "object" and has("matrix"))];
def cells_in: [.lines[] | select(type == "object" and has("version"))];
def names: map(.file | safe) | join(", ");
def keys_text: map(safe) | join(", ");

def merge:
    if length == 0 then {errors: ["no file to merge"]} else . as $files
    | [$files[] | {file, header: (headers | first), count: (headers | length), cells: cells_in,
                   odd: ([.lines[] | select(type != "object" or ((has("matrix") or has("version")) | not))] | length)}] as $shards
    | ([$shards[] | select(.count != 1 or .odd > 0 or (.header.matrix != 1))
        | "\(.file | safe) is not one run's --json output (\(.count) header lines, \(.odd) lines that are neither a header nor a cell)"]) as $malformed
    | if $malformed != [] then {errors: $malformed} else
      ($shards | map(.header) | first) as $first
      | [ ($shards | group_by(.header.selection) | select(length > 1)
           | "the files are from different selections: " + (map(names) | join(" / "))),
          ($shards | group_by(.header.commit) | select(length > 1)
           | "the files are from different commits: " + (map("\(.[0].header.commit | safe) (\(names))") | join(", "))),
          ($shards | group_by(.header.shard.count) | select(length > 1)
           | "the files split the cells differently: " + (map("into \(.[0].header.shard.count | safe) (\(names))") | join(", ")))
        ] as $mixed
      | if $mixed != [] then {errors: $mixed} else
        ($first.shard.count) as $n
        | ($first.selection | selection_keys) as $all
        | [ ($shards | group_by(.header.shard.index)[] | select(length > 1)
             | "shard \(.[0].header.shard.index | safe)/\($n) is given twice: \(names)"),
            (range(1; $n + 1) as $k | select([$shards[] | select(.header.shard.index == $k)] == [])
             | select($all | slice($k; $n) | length > 0)
             | "shard \($k)/\($n) is missing (its cells: \($all | slice($k; $n) | keys_text))"),
            ($shards[] | select(.header.shard.index as $k | ($k | type) != "number" or $k < 1 or $k > $n or .header.cells != ($all | slice($k; $n)))
             | "\(.file | safe) does not hold shard \(.header.shard.index | safe)/\($n)'s cells"),
            ([$shards[] | .file as $file | .cells[] | {key: key, file: $file}] | group_by(.key)[] | select(length > 1)
             | "cell \(.[0].key | safe) appears \(length) times: \(names)"),
            ($shards[] | (.cells | map(key)) as $got | .file as $file
             | (.header.cells - $got) | select(length > 0)
             | "\($file | safe) lacks the lines of \(keys_text) (cut short?)"),
            ($shards[] | .header.cells as $want | .file as $file
             | ([.cells[] | key] - $want) | select(length > 0)
             | "\($file | safe) holds cells outside its shard: \(keys_text)")
          ] as $wrong
        | if $wrong != [] then {errors: $wrong} else
          ([$shards[].cells[] | {key: key, value: .}] | from_entries) as $by_key
          | {header: ($first | .shard = {index: 1, count: 1} | .cells = $all), cells: [$all[] | $by_key[.]]}
        end end end end;
