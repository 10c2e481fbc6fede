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
# and writes basin.txt, river.txt and whichModel.txt; the model reads
# streamflow.source and writes streamflow.txt. The floor moves the same bytes
# with one fread or fwrite each (the written files read back for their bytes).
floor=$("$build/bench/io_floor" basin_original.txt river_original.txt whichModel.txt balparam.txt \
  streamflow.txt streamflow.source -- basin.txt river.txt whichModel.txt streamflow.txt)
awk -v s="$seconds" -v f="$floor" -v k="$kilobytes" 'BEGIN {
  printf "400 runs: %.2f s, %.2f ms per run; floor %.2f ms per run; ratio %.2f; peak memory %.1f MB\n",
    s, 1000 * s / 400, 1000 * f, s / 400 / f, k / 1024 }'
