#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test (widgets offscreen). Any failure or sanitizer report fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# No library includes a header of a layer above it.
bash scripts/check_layers.sh
build=${SUMBRIX_TEST_BUILD:-build-test}
# Compiles are cached (ccache) by paths relative to the clone's parent, so another
# clone of the same sources reuses them.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)}
export CCACHE_NOHASHDIR=1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUMBRIX_SANITIZE=ON -DSUMBRIX_TESTS=ON >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# The compilers meet arbitrary text: the fuzz targets replay their corpus and a
# fixed series of inputs under AddressSanitizer (the same runs every time).
bash scripts/fuzz.sh --check
