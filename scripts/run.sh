#!/usr/bin/env bash
# Builds and runs the program.
#   scripts/run.sh [--cli | --window] [FIND REPLACEMENT]
#
# 1. qelvo-cli (native, build/): writes a small tree of GBK files to
#    build/demo, replaces FIND with REPLACEMENT in it (default 青木科技 by
#    蓝山软件) with backups, and shows the files before and after.
# 2. qelvo.exe (MinGW-w64, build-windows/) under Wine. Where DISPLAY names a
#    display that answers, the window opens there and the script waits until
#    it is closed. Where there is none, the window opens on the virtual
#    display of the Wine prefix; once it has painted, a screenshot is saved
#    to build/screenshot.png, the program is closed and the prefix stopped.
# --cli runs only the first step, --window only the second.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

run_cli=1
run_window=1
case "${1:-}" in
    --cli)
        run_window=0
        shift
        ;;
    --window)
        run_cli=0
        shift
        ;;
esac
find_text="${1:-青木科技}"
replacement="${2:-蓝山软件}"

if [ "$run_window" -eq 1 ]; then
    "$root/scripts/install-deps.sh" all
else
    "$root/scripts/install-deps.sh" native
fi

if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
else
    generator=(-G "Unix Makefiles")
fi

# configure DIR [CMAKE OPTIONS...]: a tree made with another generator is
# started afresh.
configure() {
    local dir="$1"
    shift
    if [ -f "$dir/CMakeCache.txt" ] &&
        ! grep -qx "CMAKE_GENERATOR:INTERNAL=${generator[1]}" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S "$root" -B "$dir" "${generator[@]}" "$@" >/dev/null
}

# --- 1. qelvo-cli on a demo tree ---------------------------------------------
demo="build/demo"

# write_gbk FILE: stores standard input (UTF-8) as GBK.
write_gbk() {
    iconv -f UTF-8 -t GBK >"$1"
}

write_demo_tree() {
    rm -rf "$demo"
    mkdir -p "$demo/news"
    write_gbk "$demo/index.html" <<'EOF'
<html>
<head><meta charset="gbk"><title>青木科技有限公司</title></head>
<body>
<h1>欢迎访问青木科技有限公司</h1>
<p>青木科技专注于中文文本处理软件。联系电话：010-12345678</p>
</body>
</html>
EOF
    write_gbk "$demo/about.txt" <<'EOF'
青木科技有限公司成立于2003年。
地址：北京市海淀区中关村大街1号
EOF
    write_gbk "$demo/news/notice.txt" <<'EOF'
通知：青木科技全体员工国庆节放假七天。
EOF
    write_gbk "$demo/说明.txt" <<'EOF'
本目录中的文件都以GBK编码保存。
EOF
}

# show_tree: prints every file of the demo tree, converted to UTF-8.
show_tree() {
    local file
    while IFS= read -r -d '' file; do
        echo "--- $file"
        iconv -f GBK -t UTF-8 "$file" 2>/dev/null || cat "$file"
    done < <(find "$demo" -type f -print0 | sort -z)
}

run_cli_demo() {
    configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j2 --target qelvo-cli

    write_demo_tree
    echo
    echo "=== demo files before (GBK, shown as UTF-8)"
    show_tree

    echo
    echo "=== build/bin/qelvo-cli replace $demo $find_text $replacement --subfolders --backup"
    build/bin/qelvo-cli replace "$demo" "$find_text" "$replacement" --subfolders --backup

    echo
    echo "=== demo files after"
    show_tree
}

# --- 2. qelvo.exe under Wine -----------------------------------------------------
windows_build="$root/build-windows"
screenshot="$root/build/screenshot.png"
window_title="Qelvo文本替换"

# Sourced for its functions: the prefix, its server and its Xvfb.
# shellcheck source=scripts/wine-prefix.sh disable=SC1091
source "$root/scripts/wine-prefix.sh"

build_window() {
    configure "$windows_build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
    cmake --build "$windows_build" -j2 --target qelvo
}

display_answers() {
    [ -n "${1:-}" ] && xdpyinfo -display "$1" >/dev/null 2>&1
}

# On the user's display: the prefix's own Xvfb stays out of it, since Wine's
# server and desktop belong to the display they were started on.
run_window_on_display() {
    local display="$1"
    qelvo_wine_create "$windows_build"
    qelvo_wine_server_stop
    qelvo_wine_xvfb_stop
    export DISPLAY="$display"
    qelvo_wine_server_start
    qelvo_wine_services_start
    echo
    echo "=== $window_title is open on $DISPLAY; the script ends when it is closed"
    printf '    (the demo tree is Z:%s under Wine)\n' "${root//\//\\}\\build\\demo"
    local status=0
    wine "$windows_build/bin/qelvo.exe" </dev/null >/dev/null 2>&1 || status=$?
    qelvo_wine_server_stop
    echo "=== qelvo.exe ended with exit code $status"
}

# The client area of the window, at 50,50 on the prefix's 1024 x 768 virtual
# desktop, shows many colours once painted; blank it has one or two.
window_has_painted() {
    local shot="$1" colours
    import -display "$DISPLAY" -window root "$shot" 2>/dev/null || return 1
    colours="$(convert "$shot" -crop 520x420+70+100 +repage -format '%k' info: 2>/dev/null || echo 0)"
    [ "${colours:-0}" -gt 8 ]
}

wait_for_window() {
    local shot="$1"
    for _ in $(seq 1 150); do
        if xdotool search --name "$window_title" >/dev/null 2>&1 && window_has_painted "$shot"; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}

run_window_headless() {
    "$root/scripts/wine-prefix.sh" start "$windows_build"
    qelvo_wine_env "$windows_build"
    trap '"$root/scripts/wine-prefix.sh" stop "$windows_build" >/dev/null 2>&1 || true' EXIT

    echo
    echo "=== no display: $window_title runs on the virtual display $DISPLAY"
    wine "$windows_build/bin/qelvo.exe" </dev/null >/dev/null 2>&1 &
    local program=$!
    mkdir -p "$(dirname "$screenshot")"
    local shot="$windows_build/screenshot-wait.png"
    if ! wait_for_window "$shot"; then
        echo "run: the window did not appear" >&2
        kill "$program" 2>/dev/null || true
        exit 1
    fi
    sleep 1 # let the last controls finish painting
    import -display "$DISPLAY" -window root "$screenshot"
    rm -f "$shot"
    echo "=== screenshot saved to build/screenshot.png"

    # Closing the window ends the program as its exit button does.
    wine taskkill /im qelvo.exe </dev/null >/dev/null 2>&1 || true
    local status=0
    for _ in $(seq 1 50); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$program" 2>/dev/null; then
        wine taskkill /f /im qelvo.exe </dev/null >/dev/null 2>&1 || true
    fi
    wait "$program" || status=$?
    echo "=== qelvo.exe ended with exit code $status"
    "$root/scripts/wine-prefix.sh" stop "$windows_build"
    trap - EXIT
}

if [ "$run_cli" -eq 1 ]; then
    run_cli_demo
fi

if [ "$run_window" -eq 1 ]; then
    user_display="${DISPLAY:-}"
    build_window
    if display_answers "$user_display"; then
        run_window_on_display "$user_display"
    else
        run_window_headless
    fi
fi
