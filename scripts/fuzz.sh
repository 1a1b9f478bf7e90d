#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz/ with clang in build-fuzz/ and runs them.
#   scripts/fuzz.sh build [-jN]                  configure (CC=clang CXX=clang++) and build
#   scripts/fuzz.sh run [SECONDS] [TARGET...]    run the targets, SECONDS in all (30 unless
#                                                given) split evenly between them
#   scripts/fuzz.sh [SECONDS] [TARGET...]        both
# TARGET is a name such as fuzz_text; without one every target runs. Arguments after "--" go
# to libFuzzer itself (for example -jobs=2 -workers=2).
#
# Each target starts from a copy of its seeds, tests/fuzz/corpus/<target>/, in a temporary
# directory, so the checkout is never changed. A crash, a sanitizer report or a failed check
# fails the command; the input that caused it is kept in build-fuzz/crashes/ and runs again
# with: build-fuzz/bin/<target> build-fuzz/crashes/<file>
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seeds="$root/tests/fuzz/corpus"
crashes="$build/crashes"

usage() {
    sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

configure_and_build() {
    local jobs="$1" generator=(-G "Unix Makefiles")
    if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
    # A tree configured with another compiler or generator cannot be reused.
    if [ -f "$build/CMakeCache.txt" ] &&
        { ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$build/CMakeCache.txt" ||
            ! grep -qx "CMAKE_GENERATOR:INTERNAL=${generator[1]}" "$build/CMakeCache.txt"; }; then
        rm -rf "$build"
    fi
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELVO_BUILD_FUZZ=ON -DQELVO_BUILD_TESTS=OFF
    cmake --build "$build" --target qelvo_fuzzers -j"$jobs"
}

all_targets() {
    local source
    for source in "$root"/tests/fuzz/fuzz_*.cpp; do
        basename "$source" .cpp
    done
}

# run_target NAME SECONDS WORK LIBFUZZER-ARGS...
run_target() {
    local name="$1" seconds="$2" work="$3"
    shift 3
    local program="$build/bin/$name" corpus="$work/$name" log="$work/$name.log"
    if [ ! -x "$program" ]; then
        echo "fuzz: $program is missing (scripts/fuzz.sh build)" >&2
        return 1
    fi
    mkdir -p "$corpus" "$crashes"
    if [ -d "$seeds/$name" ]; then cp -R "$seeds/$name/." "$corpus/"; fi
    local status=0
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/$name-" "$@" "$corpus" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        # The report without libFuzzer's progress lines (#N NEW ..., #N pulse ...).
        grep -Ev '^#[0-9]+' "$log" | tail -n 150
        echo "fuzz: $name FAILED (exit status $status); input kept in $crashes/" >&2
        return 1
    fi
    local done_line
    done_line="$(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1 || true)"
    printf '%-24s %s, corpus %s inputs\n' "$name" "${done_line:-no summary}" \
        "$(find "$corpus" -type f | wc -l)"
}

# run SECONDS [TARGET...] [-- LIBFUZZER-ARGS...]
run() {
    local total=30
    if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
        total="$1"
        shift
    fi
    local targets=() extra=()
    while [ $# -gt 0 ]; do
        if [ "$1" = "--" ]; then
            shift
            extra=("$@")
            break
        fi
        targets+=("$1")
        shift
    done
    if [ ${#targets[@]} -eq 0 ]; then mapfile -t targets < <(all_targets); fi

    local work
    work="$(mktemp -d "${TMPDIR:-/tmp}/qelvo-fuzz-corpus.XXXXXX")"
    # shellcheck disable=SC2064  # the directory is known now
    trap "rm -rf '$work'" EXIT

    # Whole seconds for each, the remainder to the first ones, at least one second each.
    local count=${#targets[@]} index=0 failed=0
    for name in "${targets[@]}"; do
        local seconds=$((total / count + (index < total % count ? 1 : 0)))
        [ "$seconds" -ge 1 ] || seconds=1
        run_target "$name" "$seconds" "$work" "${extra[@]}" || failed=1
        index=$((index + 1))
    done
    return "$failed"
}

case "${1:-}" in
    build)
        shift
        jobs=2
        if [[ "${1:-}" == -j* ]]; then jobs="${1#-j}"; fi
        configure_and_build "$jobs"
        ;;
    run)
        shift
        run "$@"
        ;;
    -h | --help) usage ;;
    *)
        configure_and_build 2
        run "$@"
        ;;
esac
