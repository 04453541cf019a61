# Whether the kernel runs 32-bit x86 programs at all: one answer for every
# script, every platform and every version, asked of the kernel itself.

# The smallest 32-bit x86 Linux program: an ELF header, one segment, and
# "mov eax, 1; xor ebx, ebx; int 0x80", which exits with status 0.
KERNEL_PROBE_32BIT='\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200'

# Why a 32-bit side is left out: the same words wherever it is.
NO_32BIT="the kernel cannot run 32-bit programs"

# kernel_runs_32bit: runs the probe once per script and keeps the answer in
# KERNEL_32BIT (yes or no). Only the kernel's own refusal ("Exec format
# error") answers no. A probe that cannot be run for another reason (a
# folder mounted noexec) answers yes, so that the 32-bit side is tried and
# its failure is an error, never a skip.
KERNEL_32BIT=""
kernel_runs_32bit() {
    if [ -z "$KERNEL_32BIT" ]; then
        local probe said
        probe=$(mktemp "${TMPDIR:-/tmp}/true32.XXXXXX") || { KERNEL_32BIT=yes; return 0; }
        printf "$KERNEL_PROBE_32BIT" >"$probe" && chmod +x "$probe"
        # bash, unlike timeout's exec, names an exec format error as such.
        said=$(timeout 10 bash -c 'exec "$1"' - "$probe" 2>&1 </dev/null 8<&- 9>&-) && KERNEL_32BIT=yes ||
            { kernel_refuses_32bit "$said" && KERNEL_32BIT=no || KERNEL_32BIT=yes; }
        rm -f "$probe"
    fi
    [ "$KERNEL_32BIT" = yes ]
}
