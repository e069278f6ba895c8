#!/usr/bin/env bash
# time_test.sh [CORES]
# Runs the test command as a fresh clone would (a new build folder, no compiler
# cache) on the given number of cores (2 by default) and prints its time split:
# setup, configure, build, ctest, fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
cores=${1:-2}
last=$(( cores - 1 ))
tmp=$(mktemp -d)
export SUMBRIX_TEST_BUILD="$tmp/build-test" SUMBRIX_FUZZ_BUILD="$tmp/build-fuzz" CCACHE_DISABLE=1
trap 'rm -rf "$tmp"' EXIT
taskset -c "0-$last" bash scripts/test.sh 2>&1 | tee "$tmp/log" | grep -E '^Time:|tests passed|FAILED|Failed' || true
