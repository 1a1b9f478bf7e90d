#!/usr/bin/env bash
# qelvo-cli on a tree of one large file (2 GiB unless told otherwise): peak
# memory of find and replace against their bounds, and the rewritten bytes
# against the expected ones, for a GBK file, a UTF-8 file, and a UTF-8 file
# that goes through its GBK text.
#
#   bench/large_file.sh [--size-mib N]
#
# Needs twice the file's size free in /dev/shm while a replacement runs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
if [ ! -x /usr/bin/time ] || ! command -v python3 >/dev/null; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends time python3
fi
"$root/scripts/install-deps.sh" native
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target qelvo-cli -j2

exec python3 "$root/bench/large_file.py" --cli "$root/build/bin/qelvo-cli" "$@"
