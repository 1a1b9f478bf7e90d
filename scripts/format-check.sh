#!/usr/bin/env bash
# Fails when a C++ source under the project's code directories is not
# formatted as .clang-format says. Checks the files git knows about (tracked,
# plus new files that are not ignored).
#   scripts/format-check.sh          check
#   scripts/format-check.sh --fix    reformat the files in place
set -euo pipefail

cd "$(dirname "$0")/.."

dirs=(engine platform cli tests bench ui skin gdiplus tools)
patterns=()
for dir in "${dirs[@]}"; do
    patterns+=("$dir/*.cpp" "$dir/*.h")
done

list_sources() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard -- "${patterns[@]}"
    else
        # Not a git checkout (an exported tree): every source in those directories.
        local existing=()
        for dir in "${dirs[@]}"; do
            [ -d "$dir" ] && existing+=("$dir")
        done
        [ ${#existing[@]} -eq 0 ] ||
            find "${existing[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -print0
    fi
}

files=()
while IFS= read -r -d '' file; do
    [ -f "$file" ] && files+=("$file")
done < <(list_sources | sort -zu)

if [ ${#files[@]} -eq 0 ]; then
    echo "format-check: no sources to check"
    exit 0
fi

if [ "${1:-}" = "--fix" ]; then
    clang-format -i --style=file "${files[@]}"
    echo "format-check: formatted ${#files[@]} files"
    exit 0
fi

if ! clang-format --dry-run --Werror --style=file "${files[@]}"; then
    echo "format-check: the files above differ from .clang-format (fix: scripts/format-check.sh --fix)" >&2
    exit 1
fi
echo "format-check: ${#files[@]} files OK"
