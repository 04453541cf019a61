#!/usr/bin/env bash
# Builds both targets and runs the whole test suite on the platform.
set -euo pipefail
source "$(dirname "$0")/platform.sh"

install_missing
targets="i686 x86_64"
for target in $targets; do build_target "$target"; done
start_platform

status=0
for target in $targets; do
    if [ "$target" = i686 ] && ! can_run_32bit; then
        say "32-bit suite skipped: this kernel cannot run 32-bit programs (it was booted without 32-bit emulation), so the platform's 32-bit side cannot start here"
        continue
    fi
    say "== $target suite"
    (cd "$BUILD/$target" && ctest --output-on-failure) || status=1
done
exit $status
