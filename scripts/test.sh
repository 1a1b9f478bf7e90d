#!/usr/bin/env bash
# Builds and runs every test:
#   1. installs missing Debian packages (scripts/install-deps.sh all)
#   2. checks the formatting of the C++ sources
#   3. native build in build/ + ctest
#   4. AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/ + ctest
#   5. libFuzzer targets built with clang in build-fuzz/, run 30 s in all from
#      the committed seeds (scripts/fuzz.sh)
#   6. ThreadSanitizer build in build-tsan/ + ctest
#   7. Windows cross build in build-windows/ + ctest under Wine
# Any failure fails the whole command. Set QELVO_TSAN_EXCLUDE to a CTest
# regular expression to leave tests out of the ThreadSanitizer run.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

jobs=2
tsan_exclude="${QELVO_TSAN_EXCLUDE:-}"

if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
else
    generator=(-G "Unix Makefiles")
fi

summary=()
ctest_launcher=()
stage_note=""
wine_started=0
current_stage=""

cleanup() {
    local status=$?
    if [ "$status" -ne 0 ] && [ -n "$current_stage" ]; then
        echo
        echo "=== FAILED in stage: $current_stage (exit status $status)"
        if [ ${#summary[@]} -gt 0 ]; then
            echo "=== stages passed before it"
            printf '%s\n' "${summary[@]}"
        fi
    fi
    if [ "$wine_started" -eq 1 ]; then
        "$root/scripts/wine-prefix.sh" stop "$root/build-windows" || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# stage NAME COMMAND...: runs a stage and records how long it took.
stage() {
    local name="$1" start=$SECONDS
    shift
    current_stage="$name"
    echo
    echo "=== $name"
    stage_note=""
    "$@"
    summary+=("$(printf '%-34s %4ds%s' "$name" $((SECONDS - start)) "${stage_note:+  $stage_note}")")
    current_stage=""
}

configure() {
    local dir="$1"
    shift
    # A tree configured with another generator cannot be reused.
    if [ -f "$dir/CMakeCache.txt" ] &&
        ! grep -qx "CMAKE_GENERATOR:INTERNAL=${generator[1]}" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S "$root" -B "$dir" "${generator[@]}" "$@"
}

# configure_and_build DIR [CMAKE OPTIONS...]
configure_and_build() {
    configure "$@"
    cmake --build "$1" -j"$jobs"
}

# run_ctest DIR [-jN] [CTEST ARGS...]: runs the tests (two at a time unless
# told otherwise) and keeps CTest's verdict line.
run_ctest() {
    local dir="$1"
    shift
    local parallel="-j$jobs"
    if [[ "${1:-}" == -j* ]]; then
        parallel="$1"
        shift
    fi
    local log="$dir/ctest-last.log"
    "${ctest_launcher[@]}" ctest --test-dir "$dir" --output-on-failure --no-tests=error "$parallel" "$@" 2>&1 | tee "$log"
    local verdict
    verdict="$(grep -E 'tests passed' "$log" | tail -n 1 || true)"
    stage_note="${verdict:-no verdict}"
}

has_sources() {
    compgen -G "$root/$1/*.cpp" >/dev/null
}

# --- 1. packages -----------------------------------------------------------
stage "install dependencies" "$root/scripts/install-deps.sh" all

# --- 2. formatting ---------------------------------------------------------
stage "format check" "$root/scripts/format-check.sh"

# --- 3. native ---------------------------------------------------------------
native_options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if has_sources bench; then
    native_options+=(-DQELVO_BUILD_BENCH=ON)
fi
stage "native: configure + build" configure_and_build build "${native_options[@]}"
stage "native: ctest" run_ctest build

# --- 4. AddressSanitizer + UndefinedBehaviorSanitizer -------------------------
stage "asan+ubsan: configure + build" configure_and_build build-asan \
    -DCMAKE_BUILD_TYPE=Debug -DQELVO_SANITIZE=address,undefined
stage "asan+ubsan: ctest" run_ctest build-asan

# --- 5. fuzzing --------------------------------------------------------------
# Short runs that catch a change breaking what a target checks; longer runs
# are for a person to start (README).
stage "fuzz: configure + build" "$root/scripts/fuzz.sh" build -j"$jobs"
stage "fuzz: 30s from the seeds" "$root/scripts/fuzz.sh" run 30

# --- 6. ThreadSanitizer ------------------------------------------------------
stage "tsan: configure + build" configure_and_build build-tsan \
    -DCMAKE_BUILD_TYPE=Debug -DQELVO_SANITIZE=thread
tsan_args=()
if [ -n "$tsan_exclude" ]; then
    tsan_args+=(-E "$tsan_exclude")
fi
# ThreadSanitizer of GCC 12 cannot map its shadow memory under large address
# randomisation; turn randomisation off for the run where that is allowed.
tsan_launcher=()
if setarch "$(uname -m)" -R true >/dev/null 2>&1; then
    tsan_launcher=(setarch "$(uname -m)" -R)
fi
ctest_launcher=("${tsan_launcher[@]}")
stage "tsan: ctest" run_ctest build-tsan "${tsan_args[@]}"
ctest_launcher=()

# --- 7. Windows under Wine ----------------------------------------------------
# Release: without debug information the test program is a tenth of the size
# and every Wine start (one per test) is quicker.
stage "windows: configure + build" configure_and_build build-windows \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
wine_started=1
stage "windows: wine prefix + xvfb" "$root/scripts/wine-prefix.sh" start "$root/build-windows"
# Tests that show windows on the virtual desktop compete for its focus and
# foreground: they run one at a time, the rest two at a time.
desktop_tests='^(Gui|TextInput|ShellActions|CliKill)'
# A test process that hangs under Wine is run once more; one that fails, or
# hangs twice, fails the stage.
stage "windows: ctest under wine" run_ctest build-windows -E "$desktop_tests" \
    --repeat after-timeout:2
stage "windows: window tests under wine" run_ctest build-windows -j1 -R "$desktop_tests" \
    --repeat after-timeout:2
"$root/scripts/wine-prefix.sh" stop "$root/build-windows"
wine_started=0

echo
echo "=== summary (all stages passed, ${SECONDS}s in total)"
printf '%s\n' "${summary[@]}"
