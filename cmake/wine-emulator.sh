#!/usr/bin/env bash
# Runs a Windows program under Wine for CMake/CTest (CMAKE_CROSSCOMPILING_EMULATOR).
#   wine-emulator.sh [--prefix=WINEPREFIX] PROGRAM.exe [ARGS...]
# The prefix comes from --prefix (set by cmake/mingw-w64-x86_64.cmake to
# <build tree>/wineprefix) or else from $WINEPREFIX. Create and start it first
# with scripts/wine-prefix.sh; the display of the Xvfb started there is used.
# Stop the server afterwards with scripts/wine-prefix.sh stop.
# The program's exit code is returned unchanged.
set -eu

prefix="${WINEPREFIX:-}"
case "${1:-}" in
    --prefix=*)
        prefix="${1#--prefix=}"
        shift
        ;;
esac

if [ -z "$prefix" ] || [ ! -f "$prefix/.qelvo-prefix-complete" ]; then
    echo "wine-emulator.sh: no ready Wine prefix at '${prefix:-<unset>}';" \
        "run scripts/wine-prefix.sh start <build tree> first" >&2
    exit 125
fi

export WINEPREFIX="$prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# LC_ALL only when the locale is generated: a missing one breaks Chinese file names.
if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    export LC_ALL=zh_CN.UTF-8
fi

if [ -f "$prefix/.qelvo-display" ]; then
    DISPLAY="$(cat "$prefix/.qelvo-display")"
    export DISPLAY
fi

# Normally scripts/wine-prefix.sh has started the persistent server and the
# services. If not, start them here with every stream on /dev/null: services
# started by a call whose output is read (CTest's test discovery) keep that
# pipe open, and the reader waits forever.
if wineserver -p </dev/null >/dev/null 2>&1; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi

exec wine "$@"
