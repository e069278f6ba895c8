#!/usr/bin/env bash
# Measures start-up to a usable main window on Xvfb (Release build), then the
# same launch-to-visible-window time for Sumbrix and for the desktop
# calculators it is compared with (SpeedCrunch and Galculator, installed here
# when missing; Qalculate, GNOME Calculator and KCalc too when present), as
# medians of five launches after one unmeasured launch, with their ratios.
#   bash scripts/bench_startup.sh [Google Benchmark options]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--compare" ]; then
  # Runs inside Xvfb: milliseconds from the launch until a window of the
  # process is mapped, by polling the X server every 5 ms (for 15 s at most).
  shift
  launch_ms() {
    local start pid end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    end=""
    for _ in $(seq 1 1500); do
      if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then
        end=$(date +%s%N)
        break
      fi
      sleep 0.005
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$end" ] && echo $(( (end - start) / 1000000 ))
  }
  median_ms() {
    local runs=() t
    launch_ms "$@" >/dev/null || true   # warms the caches of the libraries and fonts
    for _ in 1 2 3 4 5; do
      t=$(launch_ms "$@") || return 1
      runs+=("$t")
    done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p
  }
  dir=$(mktemp -d)
  own=$(median_ms build-bench/bin/bench_startup --startup-child "$dir" --stay) || { echo "Sumbrix: no window"; exit 1; }
  rm -rf "$dir"
  printf '%-22s %8s %10s\n' "launch to window" "ms" "Sumbrix/x"
  printf '%-22s %8d %10s\n' "Sumbrix" "$own" "1.00"
  for peer in speedcrunch galculator qalculate-gtk gnome-calculator kcalc; do
    command -v "$peer" >/dev/null || continue
    if t=$(median_ms "$peer") && [ -n "$t" ] && [ "$t" -gt 0 ]; then
      printf '%-22s %8d %10s\n' "$peer" "$t" "$(awk -v a="$own" -v b="$t" 'BEGIN { printf "%.2f", a / b }')"
    else
      printf '%-22s %8s\n' "$peer" "no window"
    fi
  done
  exit 0
fi

bash scripts/setup.sh
peers=()
for p in speedcrunch galculator; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || peers+=("$p")
done
if [ ${#peers[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${peers[@]}" >/dev/null
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSUMBRIX_TESTS=OFF -DSUMBRIX_BENCH=ON >/dev/null
cmake --build build-bench --target bench_startup
env -u QT_QPA_PLATFORM xvfb-run -a build-bench/bin/bench_startup "$@"
env -u QT_QPA_PLATFORM xvfb-run -a bash "$0" --compare
