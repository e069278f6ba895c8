#!/usr/bin/env bash
# Fuzzes the engines for a while (60 s in all by default, shared equally by the
# targets tests/fuzz/fuzz_<domain>_expression.cpp) in a separate clang build
# with libFuzzer and AddressSanitizer. Fails on a crash, a leak or an input
# slower than one second.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${SUMBRIX_FUZZ_BUILD:-$root/build-fuzz}"

domains=()
for src in "$root"/tests/fuzz/fuzz_*_expression.cpp; do
  d="$(basename "$src")"
  d="${d#fuzz_}"
  domains+=("${d%_expression.cpp}")
done
each=$((seconds / ${#domains[@]}))
if [ "$each" -lt 1 ]; then each=1; fi

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSUMBRIX_FUZZ=ON -DSUMBRIX_TESTS=ON -DSUMBRIX_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" >/dev/null
# One ninja run for all the targets, so that they build side by side.
targets=()
for d in "${domains[@]}"; do targets+=("fuzz_${d}_expression"); done
ninja -C "$build" "${targets[@]}"

cd "$build"
export QT_QPA_PLATFORM=offscreen
for d in "${domains[@]}"; do
  # Seed corpus: the expression lines of the domain's golden files.
  corpus="$build/fuzz-corpus-$d"
  mkdir -p "$corpus"
  n=0
  for f in "$root"/tests/data/"${d}"_*.txt; do
    [ -e "$f" ] || continue
    while IFS= read -r line; do
      case "$line" in ''|'#'*) continue ;; esac
      n=$((n + 1))
      printf '%s' "$line" > "$corpus/seed_$n"
    done < "$f"
  done
  dict=()
  if [ -f "$root/tests/fuzz/$d.dict" ]; then dict=(-dict="$root/tests/fuzz/$d.dict"); fi
  echo "== fuzz_${d}_expression: ${each} s"
  "$build/bin/fuzz_${d}_expression" \
    -max_total_time="$each" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
    "${dict[@]}" -print_final_stats=1 "$corpus"
done
