# The matrix's configurations, each switched in the version's prefix
# registry. Sourced by matrix.sh.
#   unmanaged  the platform draws the frames, no window manager (the default)
#   openbox    a real window manager, openbox, manages the windows
#   winxp, win7, win10   unmanaged, reporting that Windows version
#   desktop    the platform's virtual desktop, 1024x768
# In this order (ALL_CONFIGS in matrix.sh) the server is restarted once,
# for the desktop.

config_managed() { [ "$1" = openbox ] && echo Y || echo N; }
config_desktop() { [ "$1" = desktop ] && echo yes || echo no; }
config_windows() {
    case "$1" in
        winxp | win7 | win10) echo "$1" ;;
        *) default_windows "$2" ;;
    esac
}

registry_file() {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="%s"\n\n' "$(config_managed "$1")"
    if [ "$(config_desktop "$1")" = yes ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n'
    else
        printf '[-HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n'
    fi
}

# A 64-bit prefix of some versions refuses winxp and takes winxp64.
set_windows() {
    local version=$1 windows=$2
    on_wine "$version" 64 winecfg -v "$windows" >/dev/null 2>&1 && return 0
    [ "$windows" = winxp ] && on_wine "$version" 64 winecfg -v winxp64 >/dev/null 2>&1 && return 0
    step_failed "setting Windows version $windows on $version" "run: $(version_loader "$version" 64) winecfg -v $windows"
}

# Programs read these settings when they start, so a running server
# serves the next configuration too, except for the desktop (see matrix.sh).
apply_config() {
    local version=$1 config=$2 file
    file="$(version_dir "$1")/config.reg"
    registry_file "$config" >"$file"
    on_wine "$version" 64 regedit /S "$file" >/dev/null 2>&1 ||
        step_failed "switching $version to $config" "run: $(version_loader "$version" 64) regedit $file"
    set_windows "$version" "$(config_windows "$config" "$version")"
}
