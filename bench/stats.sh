# Spreads of the bench's samples. Sourced by run.sh.

# spread FILE [DECIMALS]: "median [first quartile – third quartile]" of
# the numbers in FILE, one a line; the quartiles interpolate between
# neighbouring samples.
spread() {
    sort -n "$1" | awk -v decimals="${2:-0}" '
        function at(p,    h, low) {
            h = (NR - 1) * p + 1
            low = int(h)
            return a[low] + (h - low) * (a[low + 1] - a[low])
        }
        { a[NR] = $1 }
        END {
            if (NR == 0) { print "no samples"; exit }
            f = "%." decimals "f"
            printf f " [" f " – " f "]\n", at(0.5), at(0.25), at(0.75)
        }'
}
