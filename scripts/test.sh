#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test: the widget tests offscreen, the screen tests each on an X
# server of its own (Xvfb), and the fuzz targets' replay. Any failure or sanitizer
# report fails it. At the end it prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
steps=()
step_start=$SECONDS
step() { steps+=("$(printf '%-10s %4d s' "$1" $((SECONDS - step_start)))"); step_start=$SECONDS; }
fuzz_pid=""
finish() {
    if [ -n "$fuzz_pid" ]; then kill -- -"$fuzz_pid" 2>/dev/null || kill "$fuzz_pid" 2>/dev/null || true; fi
    echo "Time: ${steps[*]/#/| }| total $SECONDS s"
}
trap finish EXIT

bash scripts/setup.sh
step setup
# No library includes a header of a layer above it.
bash scripts/check_layers.sh
build=${SUMBRIX_TEST_BUILD:-build-test}
# Compiles are cached (ccache) by paths relative to the clone's parent, so another
# clone of the same sources reuses them.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)}
export CCACHE_NOHASHDIR=1
# Sources that read a precompiled header are cached too.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime

# The compilers meet arbitrary text: the fuzz targets replay their corpus and a
# fixed series of inputs under AddressSanitizer (the same runs every time). They
# have a build of their own (clang), so they run beside the build and the tests
# (the replays at a lower priority), and their report is printed at the end.
fuzz_log=$(mktemp)
set -m
SUMBRIX_FUZZ_NICE=10 bash scripts/fuzz.sh --check >"$fuzz_log" 2>&1 &
fuzz_pid=$!
set +m

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUMBRIX_SANITIZE=ON -DSUMBRIX_TESTS=ON >/dev/null
step configure
cmake --build "$build"
step build
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# The longest programs start first (ctest keeps their times from the last run).
ctest --test-dir "$build" --output-on-failure -j "$(( $(nproc) + 2 ))"
step ctest

fuzz_status=0
wait "$fuzz_pid" || fuzz_status=$?
fuzz_pid=""
cat "$fuzz_log"
rm -f "$fuzz_log"
step fuzz
exit "$fuzz_status"
