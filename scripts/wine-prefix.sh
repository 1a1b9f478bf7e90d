#!/usr/bin/env bash
# The Wine prefix and the X server used to run the Windows build.
#
#   scripts/wine-prefix.sh create [BUILD_DIR]   create BUILD_DIR/wineprefix (reused when complete)
#   scripts/wine-prefix.sh start  [BUILD_DIR]   create if needed, start Xvfb, wineserver and services
#   scripts/wine-prefix.sh stop   [BUILD_DIR]   wineserver -k, stop the Xvfb started here
#   scripts/wine-prefix.sh env    [BUILD_DIR]   print the environment for manual Wine calls
#
# BUILD_DIR defaults to build-windows next to the sources. The display number
# of the Xvfb started here is kept in BUILD_DIR/wineprefix/.qelvo-display, where
# cmake/wine-emulator.sh finds it. The script can also be sourced for its
# functions (qelvo_wine_*).

qelvo_wine_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

qelvo_wine_log() {
    echo "wine-prefix: $*" >&2
}

# Sets WINEPREFIX and the rest of the Wine environment for BUILD_DIR.
qelvo_wine_env() {
    local build_dir="${1:-$qelvo_wine_root/build-windows}"
    mkdir -p "$build_dir"
    build_dir="$(cd "$build_dir" && pwd)"
    export WINEPREFIX="$build_dir/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
        export LC_ALL=zh_CN.UTF-8
    fi
    if [ -f "$WINEPREFIX/.qelvo-display" ]; then
        DISPLAY="$(cat "$WINEPREFIX/.qelvo-display")"
        export DISPLAY
    fi
}

# Writes the registry settings as a .reg file (UTF-16LE with a BOM, CR LF).
qelvo_wine_write_reg() {
    local file="$1" face
    {
        printf '\xff\xfe'
        {
            printf 'Windows Registry Editor Version 5.00\r\n\r\n'
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
            for face in SimSun 宋体 NSimSun 新宋体 SimHei 黑体 "Microsoft YaHei" 微软雅黑; do
                printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
            done
            printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
            printf '"ShowCrashDialog"=dword:00000000\r\n'
            printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n'
            printf '"Desktop"="Default"\r\n'
            printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n'
            printf '"Default"="1024x768"\r\n'
        } | iconv -f UTF-8 -t UTF-16LE
    } >"$file"
}

# Starts the persistent wineserver for WINEPREFIX (no-op when it runs already).
qelvo_wine_server_start() {
    wineserver -p </dev/null >/dev/null 2>&1 || true
}

# Starts Wine's services with every standard stream on /dev/null: whatever
# reads the output of the call that starts them would otherwise wait forever.
qelvo_wine_services_start() {
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

qelvo_wine_server_stop() {
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
}

# Creates the prefix unless a complete one exists.
qelvo_wine_create() {
    qelvo_wine_env "$@"
    if [ -f "$WINEPREFIX/.qelvo-prefix-complete" ]; then
        return 0
    fi
    qelvo_wine_log "creating $WINEPREFIX"
    if [ -d "$WINEPREFIX" ]; then
        qelvo_wine_server_stop
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    qelvo_wine_server_start
    DISPLAY='' wineboot -i </dev/null >/dev/null 2>&1
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    local reg="$WINEPREFIX/qelvo-settings.reg"
    qelvo_wine_write_reg "$reg"
    DISPLAY='' wine regedit /S "$reg" </dev/null >/dev/null 2>&1
    # Leave nothing of the display-less boot running (a stray explorer.exe
    # makes later GUI programs hang).
    qelvo_wine_server_stop
    touch "$WINEPREFIX/.qelvo-prefix-complete"
    qelvo_wine_log "prefix ready"
}

qelvo_wine_xvfb_running() {
    local pid_file="$WINEPREFIX/.qelvo-xvfb-pid"
    [ -f "$pid_file" ] && [ -f "$WINEPREFIX/.qelvo-display" ] &&
        kill -0 "$(cat "$pid_file")" 2>/dev/null &&
        xdpyinfo -display "$(cat "$WINEPREFIX/.qelvo-display")" >/dev/null 2>&1
}

# Starts Xvfb on a free display number and waits until it answers.
qelvo_wine_xvfb_start() {
    if qelvo_wine_xvfb_running; then
        return 0
    fi
    rm -f "$WINEPREFIX/.qelvo-display" "$WINEPREFIX/.qelvo-xvfb-pid"
    local display pid tries
    for display in $(seq 90 140); do
        if [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; then
            continue
        fi
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        pid=$!
        for tries in $(seq 1 100); do
            if xdpyinfo -display ":$display" >/dev/null 2>&1; then
                echo ":$display" >"$WINEPREFIX/.qelvo-display"
                echo "$pid" >"$WINEPREFIX/.qelvo-xvfb-pid"
                export DISPLAY=":$display"
                return 0
            fi
            if ! kill -0 "$pid" 2>/dev/null; then
                break # lost the display number to someone else: try the next
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    qelvo_wine_log "could not start Xvfb"
    return 1
}

qelvo_wine_xvfb_stop() {
    local pid_file="$WINEPREFIX/.qelvo-xvfb-pid"
    if [ -f "$pid_file" ]; then
        local pid
        pid="$(cat "$pid_file")"
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            for _ in $(seq 1 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
    fi
    rm -f "$pid_file" "$WINEPREFIX/.qelvo-display"
    unset DISPLAY
}

qelvo_wine_start() {
    qelvo_wine_create "$@" || return 1
    qelvo_wine_xvfb_start || return 1
    qelvo_wine_server_start
    qelvo_wine_services_start
}

qelvo_wine_stop() {
    qelvo_wine_env "$@"
    qelvo_wine_server_stop
    qelvo_wine_xvfb_stop
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    command="${1:-}"
    [ $# -gt 0 ] && shift
    case "$command" in
        create) qelvo_wine_create "$@" ;;
        start) qelvo_wine_start "$@" ;;
        stop) qelvo_wine_stop "$@" ;;
        env)
            qelvo_wine_env "$@"
            for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL DISPLAY; do
                if [ -n "${!name:-}" ]; then
                    printf 'export %s=%q\n' "$name" "${!name}"
                fi
            done
            ;;
        *)
            echo "usage: $0 create|start|stop|env [BUILD_DIR]" >&2
            exit 2
            ;;
    esac
fi
