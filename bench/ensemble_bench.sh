#!/usr/bin/env bash
# ensemble-runner with the copy-only model: 3,650 steps, 5 fluxes, 100 subbasins,
# 1,000 and 10,000 runs. Prints the time per run and the peak memory.
# Usage: bench/ensemble_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for runs in 1000 10000; do
  dir="$scratch/runs$runs"
  python3 "$root/bench/make_model_case.py" "$dir" 100 3650 "$runs"
  cp "$build/bench/fluvex.dll" "$dir/"
  ( cd "$dir" && /usr/bin/time -f "%e %M" -o time.txt "$build/bin/ensemble-runner" run.txt > /dev/null )
  read -r seconds kilobytes < "$dir/time.txt"
  awk -v r="$runs" -v s="$seconds" -v k="$kilobytes" \
    'BEGIN { printf "%6d runs: %8.2f s, %6.3f ms per run, peak memory %.1f MB\n", r, s, 1000 * s / r, k / 1024 }'
done
