#!/usr/bin/env bash
# The cost of --isolate: ensemble-runner with the copy-only model, 1,000 runs
# of 3,650 steps, 5 stations and 100 subbasins, in-process and with every run
# in a worker process. Prints both times per run and their difference.
# Usage: bench/isolate_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir" "$dir.workers"' EXIT
runs=1000
python3 "$root/bench/make_model_case.py" "$dir" 100 3650 "$runs"
cp "$build/bench/fluvex.dll" "$dir/"
cd "$dir"
best() {  # command... -> the fastest of three runs, in seconds
  for _ in 1 2 3; do
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc
  done | sort -n | head -n 1
}
inside=$(best "$build/bin/ensemble-runner" run.txt)
isolated=$(best "$build/bin/ensemble-runner" --isolate run.txt)
awk -v r="$runs" -v a="$inside" -v b="$isolated" 'BEGIN {
  printf "in-process %.3f ms per run, isolated %.3f ms per run, the difference %.3f ms per run (budget 3 ms)\n",
    1000 * a / r, 1000 * b / r, 1000 * (b - a) / r }'
