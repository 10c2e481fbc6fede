#!/usr/bin/env bash
# Calvor against pandas on 36,525 daily records x 200 columns (100 years), side
# by side, and Calvor alone on 1,000,000 records x 10 columns. Installs Debian's
# python3-pandas when it is missing (a benchmark need, not a build need).
# Usage: bench/calvor_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
py=/usr/bin/python3
if ! $py -c "import pandas" 2> /dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -qq python3-pandas > /dev/null
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

measure() {  # command... -> "seconds kilobytes", the fastest of three runs
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$scratch/time.txt" "$@" > /dev/null 2>&1
    cat "$scratch/time.txt"
  done | sort -n | head -n 1
}

dir="$scratch/century"
python3 "$root/bench/make_daily_series.py" "$dir" 36525 200
cd "$dir"
bytes=$(stat -c %s daily.csv)
read -r calvor_s calvor_kb <<< "$(measure "$build/bin/Calvor")"
read -r pandas_s pandas_kb <<< "$(measure $py "$root/bench/pandas_monthly.py")"
$py "$root/bench/compare_stats.py"
awk -v b="$bytes" -v cs="$calvor_s" -v ck="$calvor_kb" -v ps="$pandas_s" -v pk="$pandas_kb" 'BEGIN {
  printf "36,525 x 200 (%.1f MB): Calvor %.3f s, %.1f MB peak (limit %.1f MB); pandas %.3f s, %.1f MB; Calvor %.1fx faster\n",
    b / 1e6, cs, ck / 1024, (2 * b + 10e6) / 1048576, ps, pk / 1024, ps / cs }'

dir="$scratch/million"
python3 "$root/bench/make_daily_series.py" "$dir" 1000000 10
cd "$dir"
bytes=$(stat -c %s daily.csv)
read -r calvor_s calvor_kb <<< "$(measure "$build/bin/Calvor")"
awk -v b="$bytes" -v cs="$calvor_s" -v ck="$calvor_kb" 'BEGIN {
  printf "1,000,000 x 10 (%.1f MB): Calvor %.3f s, %.1f MB peak (limit %.1f MB)\n", b / 1e6, cs, ck / 1024, (2 * b + 10e6) / 1048576 }'
