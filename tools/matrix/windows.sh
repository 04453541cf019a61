# The Windows version a new prefix reports, read from its registry file
# instead of asked of winecfg, which on 5.0 opens its window and waits.
# Sourced by matrix.sh and by its test.

# windows_name VERSION BUILD: winecfg's name for the version the registry
# gives ("6.1", or the major number alone where it holds one, as Windows 10
# and later do); nothing for a version winecfg has no name for.
windows_name() {
    case "$1" in
        10 | 10.*) [ "${2:-0}" -ge 22000 ] 2>/dev/null && echo win11 || echo win10 ;;
        6.3) echo win81 ;;
        6.2) echo win8 ;;
        6.1) echo win7 ;;
        6.0) echo vista ;;
        5.2) echo win2003 ;;
        5.1) echo winxp ;;
        5.0) echo win2k ;;
    esac
}

# registry_windows < system.reg: the name for the version in
# HKLM\Software\Microsoft\Windows NT\CurrentVersion.
registry_windows() {
    local version major build
    read -r version major build < <(awk -F= '
        /^\[/ { inside = ($0 ~ /^\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\]( |$)/) }
        !inside { next }
        { gsub(/["\r]/, "") }
        $1 == "CurrentVersion" { version = $2 }
        $1 == "CurrentMajorVersionNumber" && $2 ~ /^dword:[0-9a-f]+$/ { major = substr($2, 7) }
        $1 == "CurrentBuildNumber" { build = $2 }
        END { print (version == "" ? "-" : version), (major == "" ? "-" : major), (build == "" ? "-" : build) }')
    [ "$major" = - ] || version=$((16#$major))
    windows_name "$version" "$build"
}
