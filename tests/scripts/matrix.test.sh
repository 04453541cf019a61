# The matrix's cells on the host's platform, as JSON lines and table rows:
# a 64-bit cell that reports Windows XP, and its 32-bit twin, which runs or
# says why it cannot. The Debian roots are not built here.
source "$(dirname "$0")/helpers.sh"
progress() { :; }
step_failed() { fail "$1 failed: $2"; }
LOADER64=$REAL_LOADER
LOADER32=$(choose_loader "$(dirname "$REAL_LOADER")" 32)
WINESERVER=$(find_wineserver "$REAL_LOADER")
for part in roots platforms configs cells; do
    source "$ROOT/tools/matrix/$part.sh"
done
trap 'stop_version_server host; rm -rf "$WORK"' EXIT

ensure_prefix host
apply_config host winxp
start_version_server host
cell=$(run_cell host 64 winxp)
# winxp: the platform reports Windows 5.x to the program.
held='.reason == null and .check.status == 1 and .check.openFile.verdict == "held" and .check.chooseFont.verdict == "released" and (.check.windowsVersion | startswith("5."))'
jq -e ".version == \"host\" and .bitness == 64 and .config == \"winxp\" and $held" >/dev/null <<<"$cell" ||
    fail "64-bit cell: $cell"
row=$(cell_row <<<"$cell")
[[ "$row" =~ ^"| "[^|]+" (host) | 64 | winxp | "[^|]+" | "5\.[0-9.]+" | HELD | released | 1 | "[0-9.]+" |"$ ]] ||
    fail "64-bit row: $row"

cell=$(run_cell host 32 winxp "$(why_no_32bit host)")
if can_run_32bit; then
    jq -e "$held" >/dev/null <<<"$cell" || fail "32-bit cell: $cell"
else
    jq -e '.check == null and (.reason | startswith("cannot run here: "))' >/dev/null <<<"$cell" ||
        fail "32-bit cell that cannot run: $cell"
    row=$(cell_row <<<"$cell")
    [[ "$row" =~ ^"| "[^|]+" (host) | 32 | winxp | cannot run here: "[^|]+"| – | – | – | – | – |"$ ]] ||
        fail "32-bit row: $row"
fi
