#!/usr/bin/env bash
# Regenerates platform/cp936_table.inc: builds tools/cp936/dump_cp936.cpp with
# MinGW-w64, runs it under Wine in a throwaway prefix and writes its tables
# into the source tree. Not part of the build: run it by hand when the
# reference system changes, and review the diff before committing it.
#
# Needs: g++-mingw-w64-x86-64-posix, wine, wine64.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
output=$root/platform/cp936_table.inc

work=$(mktemp -d /tmp/cp936-generate.XXXXXX)
export WINEPREFIX=$work/prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

cleanup() {
    if [[ -d $WINEPREFIX ]]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "building dump_cp936.exe"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror \
    -static -static-libgcc -static-libstdc++ \
    "$here/dump_cp936.cpp" -o "$work/dump_cp936.exe"

echo "creating a Wine prefix in $WINEPREFIX"
mkdir -p "$WINEPREFIX"
# A persistent server: without it every wine call below starts a new one.
wineserver -p
# Wine's services keep the output of the call that starts them, so start
# them here with output that nothing waits on.
DISPLAY= wineboot -i </dev/null >/dev/null 2>&1

echo "dumping code page 936"
(cd "$work" && wine dump_cp936.exe cp936_table.inc </dev/null | tr -d '\r')

cp "$work/cp936_table.inc" "$output"
echo "wrote $output ($(wc -c <"$output") bytes)"
