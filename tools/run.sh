#!/usr/bin/env bash
# Builds TEST.exe, runs it on the platform and prints its log.
#   tools/run.sh [--64]
set -euo pipefail
source "$(dirname "$0")/platform.sh"

target=i686
[ "${1:-}" = "--64" ] && target=x86_64
install_missing
if [ "$target" = i686 ] && ! can_run_32bit; then
    say "note: this kernel cannot run 32-bit programs (it was booted without 32-bit emulation); running the 64-bit build instead"
    target=x86_64
fi
build_target "$target" TEST check
start_platform
status=0
cd "$BUILD"
rm -f screenshot.bmp screenshot.png
"$(loader_for "$target")" "$BUILD/$target/bin/check.exe" --screenshot screenshot.bmp || status=$?
if [ -f screenshot.bmp ] && convert screenshot.bmp screenshot.png 2>/dev/null; then
    rm -f screenshot.bmp
    say "screenshot of the finished log: $BUILD/screenshot.png"
fi
exit $status
