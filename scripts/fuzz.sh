#!/usr/bin/env bash
# Fuzzes the real engine for a while (60 s by default) in a separate clang build
# with libFuzzer and AddressSanitizer. Fails on a crash, a leak or an input
# slower than one second.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${SUMBRIX_FUZZ_BUILD:-$root/build-fuzz}"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSUMBRIX_FUZZ=ON -DSUMBRIX_TESTS=ON -DSUMBRIX_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" >/dev/null
ninja -C "$build" fuzz_real_expression

# Seed corpus: the expression lines of the golden files.
corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
n=0
for f in "$root"/tests/data/real_*.txt; do
  while IFS= read -r line; do
    case "$line" in ''|'#'*) continue ;; esac
    n=$((n + 1))
    printf '%s' "$line" > "$corpus/seed_$n"
  done < "$f"
done

cd "$build"
export QT_QPA_PLATFORM=offscreen
exec "$build/bin/fuzz_real_expression" \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
  -dict="$root/tests/fuzz/real.dict" -print_final_stats=1 "$corpus"
