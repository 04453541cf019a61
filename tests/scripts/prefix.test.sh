# A broken prefix of the user's is named with its fault and how to rebuild
# it, and left as it is. Each case is a linked copy of the run's own prefix.
source "$(dirname "$0")/helpers.sh"
expect_broken() {
    local copy=$1 fault=$2
    expect_run 3 120 "$ROOT/tools/run.sh" --build "$BUILD" --64 --prefix "$copy"
    expect_said "error: checking the prefix failed: $copy is broken ($fault); rebuild it with: rm -rf '$copy'"
    [ -d "$copy" ] || fail "the broken prefix $copy was removed"
}
cp -al "$RUN_PREFIX" "$WORK/empty-registry"
rm "$WORK/empty-registry/system.reg"
: >"$WORK/empty-registry/system.reg"
expect_broken "$WORK/empty-registry" "its system.reg is missing or empty"
cp -al "$RUN_PREFIX" "$WORK/no-drive"
rm -rf "$WORK/no-drive/drive_c"
expect_broken "$WORK/no-drive" "its drive_c folder is missing"
