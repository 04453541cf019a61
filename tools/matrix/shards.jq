# Which cells a selection holds, and which of them a shard runs. Pure: the
# same selection and shard give the same cells on every machine.

# A cell's key, the one name that finds it in every file.
def key: "\(.version)/\(.bitness)/\(.config)";

# The selection's cell keys, version by version (oldest first), then
# configuration, then bitness: the order the cells run and print in, which
# lets a version's cells share one prefix and one server.
def selection_keys:
    . as $s | [$s.versions[] as $v | $s.configs[] as $c | $s.bits[] as $b | "\($v)/\($b)/\($c)"];

# slice($k; $n): the Kth of N contiguous slices of an array, whose lengths
# differ by one at most. Contiguous, so that a shard holds few versions and
# so fetches few roots.
def slice($k; $n): length as $t | .[(($k - 1) * $t / $n | floor):($k * $t / $n | floor)];
