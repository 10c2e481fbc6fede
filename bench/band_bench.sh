#!/usr/bin/env bash
# ensemble-runner with the copy-only model, 10,000 runs of 3,650 steps and 5
# fluxes (100 subbasins): without the new options (the time per run to keep),
# with --band 2.5,97.5 (peak memory, the time of the percentile step, the
# size of the flow store) and with --metrics-per-run. With a BASELINE_BUILD
# (a build of an earlier version) the plain runs alternate between the two,
# twice each, so that a slowdown of the plain path shows against the noise.
# Usage: bench/band_bench.sh [BUILD_DIR] [RUNS] [BASELINE_BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-10000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
python3 "$root/bench/make_model_case.py" "$dir" 100 3650 "$runs"
cp "$build/bench/fluvex.dll" "$dir/"
cd "$dir"
baseline=${3:-}
program="$build/bin/ensemble-runner"
measure() {  # name, then the options
  local name=$1
  shift
  /usr/bin/time -f "%e %M" -o time.txt "$program" "$@" run.txt > out.txt
  read -r seconds kilobytes < time.txt
  local band
  band=$(grep -o "built from .*" out.txt || true)
  awk -v n="$name" -v r="$runs" -v s="$seconds" -v k="$kilobytes" -v b="$band" \
    'BEGIN { printf "%-22s %8.2f s  %6.3f ms per run  peak memory %7.1f MB  %s\n", n, s, 1000 * s / r, k / 1024, b }'
}
if [ -n "$baseline" ]; then
  for round in 1 2; do
    program="$(cd "$baseline" && pwd)/bin/ensemble-runner"
    measure "plain, baseline"
    program="$build/bin/ensemble-runner"
    measure "plain"
  done
else
  measure "plain"
fi
measure "--band 2.5,97.5" --band 2.5,97.5
measure "--metrics-per-run" --metrics-per-run
echo "flow store of $runs runs: $(awk -v r="$runs" 'BEGIN { printf "%.2f GB", r * 3650 * 5 * 8 / 1e9 }')"
