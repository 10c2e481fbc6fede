#!/usr/bin/env bash
# oat-sensitivity with the copy-only model: 500 subbasins, 3,650 rows, 400 runs.
# Prints the toolkit's time per run and, as the floor, the time to read and
# write the same bytes that one run reads and writes.
# Usage: bench/oat_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
python3 "$root/bench/make_model_case.py" "$dir" 500 3650 1
cp "$build/bench/fluvex.dll" "$dir/"
cd "$dir"
/usr/bin/time -f "%e %M" -o time.txt "$build/bin/oat-sensitivity" > /dev/null 2>&1
read -r seconds kilobytes < time.txt
# One run reads the source files, whichModel.txt, balparam.txt and streamflow.txt
# and writes basin.txt, river.txt and whichModel.txt; the model copies the flows.
floor=$(python3 - <<'PY'
import time, shutil
reads = ["basin_original.txt", "river_original.txt", "whichModel.txt", "balparam.txt", "streamflow.txt"]
best = 1e9
for _ in range(5):
    start = time.perf_counter()
    for name in reads:
        with open(name, "rb") as f:
            data = f.read()
    for name in ["basin.txt", "river.txt", "whichModel.txt"]:
        with open(name, "rb") as f:
            data = f.read()
        with open("floor_" + name, "wb") as f:
            f.write(data)
    shutil.copyfile("streamflow.source", "floor_streamflow.txt")
    best = min(best, time.perf_counter() - start)
print("%.6f" % best)
PY
)
awk -v s="$seconds" -v f="$floor" -v k="$kilobytes" 'BEGIN {
  printf "400 runs: %.2f s, %.2f ms per run; floor %.2f ms per run; ratio %.2f; peak memory %.1f MB\n",
    s, 1000 * s / 400, 1000 * f, s / 400 / f, k / 1024 }'
