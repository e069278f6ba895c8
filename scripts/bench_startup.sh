#!/usr/bin/env bash
# Measures start-up to a usable main window on Xvfb (Release build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSUMBRIX_TESTS=OFF -DSUMBRIX_BENCH=ON >/dev/null
cmake --build build-bench --target bench_startup
env -u QT_QPA_PLATFORM xvfb-run -a build-bench/bin/bench_startup "$@"
