#!/usr/bin/env bash
# qelvo-cli against the fastest other tools (ripgrep, and ripgrep piped into
# sd for replacing), side by side on a corpus made by make_corpus.py:
# medians of interleaved rounds, peak memory, ratios, and a check of every
# qelvo-cli result against the corpus manifest.
#
#   bench/compare.sh [--preset small|large] [--rounds N]
#
# Installs ripgrep, sd and GNU time when they are missing, builds
# build/bin/qelvo-cli, and keeps the corpus in build/bench-corpus/PRESET
# for the next run. Replacements work on copies in /dev/shm.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
preset=small
rounds=""
while [ $# -gt 0 ]; do
    case "$1" in
        --preset) preset="$2"; shift 2 ;;
        --rounds) rounds="$2"; shift 2 ;;
        *) echo "usage: $0 [--preset small|large] [--rounds N]" >&2; exit 2 ;;
    esac
done
[ -n "$rounds" ] || { [ "$preset" = large ] && rounds=3 || rounds=5; }

generator="$root/../shared/bench/make_corpus.py"
[ -f "$generator" ] || generator="${QELVO_CORPUS_GENERATOR:-}"
[ -f "$generator" ] || { echo "compare.sh: make_corpus.py not found (set QELVO_CORPUS_GENERATOR)" >&2; exit 1; }

missing=()
command -v rg >/dev/null || missing+=(ripgrep)
command -v sd >/dev/null || missing+=(sd)
[ -x /usr/bin/time ] || missing+=(time)
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" ||
        { "${as_root[@]}" apt-get update && "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y --no-install-recommends "${missing[@]}"; }
fi

"$root/scripts/install-deps.sh" native
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target qelvo-cli -j2

corpus="$root/build/bench-corpus/$preset"
if [ ! -f "$corpus.manifest.json" ]; then
    mkdir -p "$(dirname "$corpus")"
    python3 "$generator" "$corpus" --preset "$preset" --force
fi

exec python3 "$root/bench/compare.py" --cli "$root/build/bin/qelvo-cli" --corpus "$corpus" \
    --rounds "$rounds"
