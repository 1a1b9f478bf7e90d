#!/usr/bin/env bash
# Replace and find across a tree of GBK files: qelvo-cli against the tools a
# user would otherwise script (GNU sed and perl in place; grep for listing),
# on identical copies of one tree in the same run. Prints each tool's best
# time of three and its ratio to qelvo-cli's.
#
#   bench/replace_tree.sh [FILES] [KIB_PER_FILE]
set -euo pipefail

files=${1:-2000}
kib=${2:-64}
here=$(cd "$(dirname "$0")/.." && pwd)
cli=${QELVO_CLI:-"$here/build/bin/qelvo-cli"}
[ -x "$cli" ] || { echo "build the native tree first (scripts/run.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One GBK line with the sought word, repeated to the file size.
line=$(printf '这是旧的文字 old text 配置项=旧值\r\n' | iconv -f UTF-8 -t GBK)
find_text=$(printf '旧的' | iconv -f UTF-8 -t GBK)
mkdir -p "$work/template"
{ yes "$line" || true; } | head -c $((kib * 1024)) > "$work/block"
for ((i = 0; i < files; i++)); do
    d="$work/template/d$((i % 20))"
    mkdir -p "$d"
    cp "$work/block" "$d/f$i.txt"
done

now() { date +%s%N; }
best=()
run_tool() {  # name, command...
    local name=$1; shift
    local fastest=
    for round in 1 2 3; do
        rm -rf "$work/tree"; cp -r "$work/template" "$work/tree"; sync
        local start; start=$(now)
        "$@" > /dev/null
        local took=$(( ($(now) - start) / 1000000 ))
        if [ -z "$fastest" ] || [ "$took" -lt "$fastest" ]; then fastest=$took; fi
    done
    best+=("$name $fastest")
}

# The find and replacement texts go in as GBK bytes for sed and perl, and as
# the host's UTF-8 for qelvo-cli, which converts them to GBK itself.
run_tool qelvo-cli "$cli" replace "$work/tree" 旧的 新的 --subfolders --pattern '*.txt'
new_text=$(printf '新的' | iconv -f UTF-8 -t GBK)
run_tool sed env LC_ALL=C find "$work/tree" -name '*.txt' -exec sed -i "s/$find_text/$new_text/g" {} +
run_tool perl env LC_ALL=C find "$work/tree" -name '*.txt' -exec perl -pi -e "s/\Q$find_text\E/$new_text/g" {} +

report() {  # title, then the entries of best[], the first one qelvo-cli's
    local base=${best[0]#* }
    echo "$1"
    for entry in "${best[@]}"; do
        name=${entry% *}; ms=${entry#* }
        ratio=$(awk -v a="$ms" -v b="$base" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
        printf '  %-12s %6d ms   %sx qelvo-cli\n' "$name" "$ms" "$ratio"
    done
}
report "replace: $files files of $kib KiB"

best=()
run_tool qelvo-find "$cli" find "$work/tree" 旧的 --subfolders --pattern '*.txt'
run_tool grep env LC_ALL=C grep -rlF --include='*.txt' "$find_text" "$work/tree"
report "find: $files files of $kib KiB"

