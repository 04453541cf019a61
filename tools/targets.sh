# Building the two targets, i686 and x86_64, each in its own folder.

loader_for() {
    case "$1" in
        i686) printf '%s\n' "$LOADER32" ;;
        x86_64) printf '%s\n' "$LOADER64" ;;
    esac
}

# Build output goes to the terminal as it comes, so a first build shows
# progress; with --quiet it goes to a log that is shown only on failure.
show_build_output() {
    local log=$1
    if [ -n "$QUIET" ]; then
        cat >"$log"
    else
        { grep --line-buffered -v 'Built target' || true; } | tee "$log" >&2
    fi
}

# shown_while LOG COMMAND...: COMMAND's output shown as above; COMMAND's
# status.
shown_while() {
    local log=$1
    shift
    "$@" 2>&1 | show_build_output "$log"
}

# build_target TARGET [CMAKE-TARGETS...]: everything when none are named.
build_target() {
    local target=$1 dir="$BUILD/$1"
    shift
    local only=()
    [ $# -eq 0 ] || only=(--target "$@")
    mkdir -p "$dir"
    progress "building the $target target"
    configured_for_platform "$target" || configure_target "$target"
    step "building the $target target"
    run_stoppable shown_while "$dir/build.log" cmake --build "$dir" -j"$(nproc)" "${only[@]}" ||
        build_failed "building the $target target" "$dir/build.log"
}

# The build re-runs CMake itself when the project changes; only a new
# platform or prefix needs a configure here.
configured_for_platform() {
    local cache="$BUILD/$1/CMakeCache.txt"
    [ -f "$cache" ] &&
        grep -qxF "PLATFORM_LOADER:FILEPATH=$(loader_for "$1")" "$cache" &&
        grep -qxF "PLATFORM_PREFIX:PATH=$WINEPREFIX" "$cache"
}

configure_target() {
    local target=$1 dir="$BUILD/$1"
    # A first configure takes a while, so its checks show; later ones are short.
    local level=STATUS
    [ ! -f "$dir/CMakeCache.txt" ] || level=WARNING
    step "configuring the $target target"
    run_stoppable shown_while "$dir/configure.log" cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release --log-level="$level" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$target.cmake" \
        -DPLATFORM_LOADER="$(loader_for "$target")" -DPLATFORM_PREFIX="$WINEPREFIX" ||
        build_failed "configuring the $target target" "$dir/configure.log"
}

build_failed() {
    [ -z "$QUIET" ] || tail -n 40 "$2" >&2
    step_failed "$1" "see the messages above (kept in $2)"
}
