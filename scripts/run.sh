#!/usr/bin/env bash
# Builds the native tree and shows qelvo-cli at work on a small tree of GBK files.
#   scripts/run.sh [FIND REPLACEMENT]
# The demo tree is recreated in build/demo on every run.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

find_text="${1:-青木科技}"
replacement="${2:-蓝山软件}"

"$root/scripts/install-deps.sh" native

if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
else
    generator=(-G "Unix Makefiles")
fi
if [ -f build/CMakeCache.txt ] &&
    ! grep -qx "CMAKE_GENERATOR:INTERNAL=${generator[1]}" build/CMakeCache.txt; then
    rm -rf build
fi
cmake -S "$root" -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target qelvo-cli

demo="build/demo"
rm -rf "$demo"
mkdir -p "$demo/news"

# write_gbk FILE: stores standard input (UTF-8) as GBK.
write_gbk() {
    iconv -f UTF-8 -t GBK >"$1"
}

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

# show_tree: prints every file of the demo tree, converted to UTF-8.
show_tree() {
    local file
    while IFS= read -r -d '' file; do
        echo "--- $file"
        iconv -f GBK -t UTF-8 "$file" 2>/dev/null || cat "$file"
    done < <(find "$demo" -type f -print0 | sort -z)
}

echo
echo "=== demo files before (GBK, shown as UTF-8)"
show_tree

echo
echo "=== build/bin/qelvo-cli replace $demo $find_text $replacement --subfolders --backup"
build/bin/qelvo-cli replace "$demo" "$find_text" "$replacement" --subfolders --backup

echo
echo "=== demo files after"
show_tree
