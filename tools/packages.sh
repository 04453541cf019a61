# The Debian packages the scripts need, installed when missing.

# jq: the matrix (and its test) reads the checker's JSON.
BUILD_PACKAGES="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest jq"
# x11-utils checks that the display answers; libxml2-utils and perl's prove
# read the JUnit and TAP files in the tests.
DISPLAY_PACKAGES="xvfb x11-utils libxml2-utils perl"
# What only the tests need, which test.sh alone installs: a CI's JUnit
# reader, a browser for the matrix's page, and rsync for the CI engine's run.
TEST_PACKAGES="python3-junitparser chromium imagemagick rsync"
# Debian 12's platform; its 32-bit side is the i386 package.
PLATFORM_PACKAGES="wine wine64 wine32:i386"

# One query for all: a query per package costs a tenth of a second each.
missing_packages() {
    local installed p
    installed=$(dpkg-query -W -f='${binary:Package} ${db:Status-Abbrev}\n' "$@" 2>/dev/null |
        awk -v native=":$(dpkg --print-architecture)" '$2 == "ii" { sub(native "$", "", $1); print $1 }')
    for p in "$@"; do
        grep -qxF "$p" <<<"$installed" || printf '%s ' "$p"
    done
}

# apt_quietly ARGS...: apt-get's messages go to the script's standard
# error as it was inherited (never reopened, which would truncate a log
# file), or nowhere with --quiet.
apt_quietly() {
    if [ -n "$QUIET" ]; then
        run_stoppable apt-get "$@" </dev/null >/dev/null 2>&1
    else
        run_stoppable apt-get "$@" </dev/null >&2
    fi
}

# A platform of the user's own needs none of Debian's platform packages.
install_missing() {
    step "checking the packages"
    local wanted="$BUILD_PACKAGES $DISPLAY_PACKAGES"
    [ -n "$WINE_CHOICE" ] || wanted="$wanted $PLATFORM_PACKAGES"
    local missing
    # shellcheck disable=SC2086
    missing=$(missing_packages $wanted)
    [ -z "$missing" ] && return 0
    local arch="" cmd
    case $missing in *:i386*) arch="dpkg --add-architecture i386 && " ;; esac
    cmd="${arch}apt-get update && apt-get install -y ${missing% }"
    [ "$(id -u)" = 0 ] || step_failed "checking the packages" "these are missing: ${missing% }; run as root: $cmd"
    progress "installing: ${missing% }"
    step "installing packages"
    [ -z "$arch" ] || dpkg --add-architecture i386
    local updated=""
    update_indexes && updated=yes
    # Lists left by an earlier update may still hold what is missing.
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive apt_quietly install -y $missing && return 0
    [ -n "$updated" ] || step_failed "apt-get update" "check the network and the apt sources, then run: $cmd"
    step_failed "installing packages" "run: $cmd"
}

# A mirror in the middle of a sync serves an index of the wrong size for a
# few minutes: an update is tried three times, a minute apart.
update_indexes() {
    local try
    for try in 1 2 3; do
        apt_quietly update && return 0
        [ "$try" = 3 ] || { note "apt-get update failed; trying again in 60 s"; run_child sleep 60; }
    done
    return 1
}
