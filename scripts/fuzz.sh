#!/usr/bin/env bash
# Fuzzes the expression engines (the targets tests/fuzz/fuzz_<domain>_expression.cpp)
# and the readers of binary files (tests/fuzz/fuzz_pictures.cpp: the picture
# container, the -lh5- decoder and the EMF and WMF pictures, drawn with their
# text records) in a separate clang build with libFuzzer and
# AddressSanitizer.
#
#   scripts/fuzz.sh --check     the test command's step: every target replays its
#                               committed corpus (tests/fuzz/corpus/<name>) and
#                               the golden files' expressions, then runs a fixed
#                               number of inputs from fixed seeds (the longest
#                               targets in parts side by side). The same tree
#                               gives the same runs every time.
#   scripts/fuzz.sh [seconds]   open-ended fuzzing for development (60 s in all by
#                               default, shared by the targets), random seeds, any
#                               input slower than one second fails. What it finds
#                               is kept in build-fuzz/finds-<domain>/ (crash-*,
#                               timeout-*, leak-*): fix it, then add the input to
#                               the committed corpus.
# Every input is also compiled both ways (linear path, splitter alone) and must
# give the same tree and messages; an input of up to 1,000 characters whose
# compile takes more processor time than SUMBRIX_FUZZ_COMPILE_MS (1000 ms by
# default) fails.
# Each target runs whatever the others did; the script fails at the end, naming
# the targets that failed. SUMBRIX_FUZZ_NICE lowers the runs' priority (the test
# command sets it: its build and tests go first).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SUMBRIX_FUZZ_BUILD:-$root/build-fuzz}"

check=0
seconds=60
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) seconds="$1" ;;
esac

# Every target by its name: real_expression, ..., pictures.
names=()
for src in "$root"/tests/fuzz/fuzz_*.cpp; do
    d="$(basename "$src" .cpp)"
    names+=("${d#fuzz_}")
done

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DSUMBRIX_FUZZ=ON -DSUMBRIX_TESTS=ON -DSUMBRIX_SANITIZE=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" >/dev/null
# One ninja run for all the targets, so that they build side by side.
targets=()
for d in "${names[@]}"; do targets+=("fuzz_${d}"); done
ninja -C "$build" "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
# What the system libraries keep for the life of the process (fontconfig's
# patterns, once pictures with text are drawn) is no leak of ours.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
# The check's runs of a target are shared out among parts that run side by
# side, each from a seed of its own (1, 2, ...) and each replaying the corpus
# and the golden lines first: the targets whose inputs take longest have more.
# The parts are fixed, so every machine runs the same inputs.
parts_of() {
    case "$1" in
        rational_expression) echo 4 ;;
        real_expression | complex_expression) echo 2 ;;
        *) echo 1 ;;
    esac
}
check_runs=40000

# run_target NAME [PART]: one target's run (in the check, one part of it);
# prints its report and fails with it.
run_target() {
    local d="$1" part="${2:-1}"
    # Seeds: the expression lines of the domain's golden files, written afresh
    # (the binary readers have their committed corpus only).
    local seeds="$build/fuzz-seeds-$d-$part"
    rm -rf "$seeds"
    mkdir -p "$seeds"
    local n=0 f line
    local golden=()
    case "$d" in *_expression) golden=("$root"/tests/data/"${d%_expression}"_*.txt) ;; esac
    for f in "${golden[@]}"; do
        [ -e "$f" ] || continue
        while IFS= read -r line || [ -n "$line" ]; do
            case "$line" in '' | '#'*) continue ;; esac
            n=$((n + 1))
            printf '%s' "$line" >"$seeds/seed_$n"
        done <"$f"
    done
    local corpus="$root/tests/fuzz/corpus/${d%_expression}"
    local dict=()
    if [ -f "$root/tests/fuzz/${d%_expression}.dict" ]; then dict=(-dict="$root/tests/fuzz/${d%_expression}.dict"); fi
    # New inputs go to the first folder, never into the committed corpus.
    local scratch="$build/fuzz-new-$d-$part"
    local finds="$build/finds-$d"
    mkdir -p "$scratch" "$finds"
    local opts
    if [ "$check" = 1 ]; then
        rm -rf "$scratch"
        mkdir -p "$scratch"
        # A hang still fails, but a slow machine under AddressSanitizer does not.
        local runs=$((check_runs / $(parts_of "$d")))
        opts=(-seed="$part" -runs="$runs" -timeout=20 -rss_limit_mb=2048 -max_len=4096)
        echo "== fuzz_${d}: committed corpus, golden lines, $runs runs from seed $part"
    else
        local each=$((seconds / ${#names[@]}))
        if [ "$each" -lt 1 ]; then each=1; fi
        opts=(-max_total_time="$each" -timeout=1 -rss_limit_mb=2048 -max_len=4096)
        echo "== fuzz_${d}: ${each} s"
    fi
    if ! (cd "$finds" && nice -n "${SUMBRIX_FUZZ_NICE:-0}" "$build/bin/fuzz_${d}" "${opts[@]}" "${dict[@]}" \
        -print_final_stats=1 "$scratch" "$corpus" "$seeds"); then
        echo "!! fuzz_${d} failed; its input is in $finds"
        return 1
    fi
}

failed=()
if [ "$check" = 1 ]; then
    # The parts are independent and each is single-threaded: they run side by
    # side, as many at a time as there are cores, the longest first, each
    # report printed whole.
    jobs_max=$(nproc)
    runs=()
    for d in rational_expression real_expression complex_expression "${names[@]}"; do
        case " ${runs[*]} " in *" $d:"*) continue ;; esac
        [ -e "$root/tests/fuzz/fuzz_$d.cpp" ] || continue
        for ((p = 1; p <= $(parts_of "$d"); p++)); do runs+=("$d:$p"); done
    done
    pids=()
    for r in "${runs[@]}"; do
        while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do sleep 0.2; done
        run_target "${r%:*}" "${r#*:}" >"$build/fuzz-${r%:*}-${r#*:}.log" 2>&1 &
        pids+=("$!")
    done
    i=0
    for r in "${runs[@]}"; do
        if ! wait "${pids[$i]}"; then
            case " ${failed[*]} " in *" fuzz_${r%:*} "*) ;; *) failed+=("fuzz_${r%:*}") ;; esac
        fi
        cat "$build/fuzz-${r%:*}-${r#*:}.log"
        i=$((i + 1))
    done
else
    for d in "${names[@]}"; do
        run_target "$d" || failed+=("fuzz_${d}")
    done
fi

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzzing passed: ${targets[*]}"
