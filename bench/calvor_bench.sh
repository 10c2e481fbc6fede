#!/usr/bin/env bash
# Calvor against pandas on 36,525 daily records x 200 columns (100 years), side
# by side, for the mean, the sum and the minimum, with the time to read the
# file's bytes as the floor; and Calvor alone on 1,000,000 records x 10
# columns for its peak memory. Installs Debian's python3-pandas when it is
# missing (a benchmark need, not a build need).
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

measure() {  # command... -> "seconds kilobytes", the fastest of three runs (to the millisecond)
  for _ in 1 2 3; do
    start=$(date +%s.%N)
    /usr/bin/time -f "%M" -o "$scratch/time.txt" "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc) $(cat "$scratch/time.txt")"
  done | sort -n | head -n 1
}

for operation in Mean Sum Min; do
  dir="$scratch/century-$operation"
  python3 "$root/bench/make_daily_series.py" "$dir" 36525 200 "$operation"
  cd "$dir"
  bytes=$(stat -c %s daily.csv)
  read -r cat_s _ <<< "$(measure sh -c 'cat daily.csv > /dev/null')"
  read -r calvor_s calvor_kb <<< "$(measure "$build/bin/Calvor")"
  read -r pandas_s pandas_kb <<< "$(measure $py "$root/bench/pandas_monthly.py" "$(echo "$operation" | tr A-Z a-z)")"
  $py "$root/bench/compare_stats.py"
  awk -v op="$operation" -v b="$bytes" -v cat="$cat_s" -v cs="$calvor_s" -v ck="$calvor_kb" -v ps="$pandas_s" \
      -v pk="$pandas_kb" 'BEGIN {
    printf "%s, 36,525 x 200 (%.1f MB): Calvor %.3f s (%.2f ns a value, %.1fx the %.3f s of cat), %.1f MB peak; pandas %.3f s, %.1f MB; Calvor %.1fx faster\n",
      op, b / 1e6, cs, cs * 1e9 / (36525 * 200), (cat > 0 ? cs / cat : 0), cat, ck / 1024, ps, pk / 1024, ps / cs }'
done

dir="$scratch/million"
python3 "$root/bench/make_daily_series.py" "$dir" 1000000 10
cd "$dir"
bytes=$(stat -c %s daily.csv)
for operation in Mean Median; do
  sed -i "7s/.*/$operation/" statsparam.txt
  read -r calvor_s calvor_kb <<< "$(measure "$build/bin/Calvor")"
  awk -v op="$operation" -v b="$bytes" -v cs="$calvor_s" -v ck="$calvor_kb" 'BEGIN {
    printf "%s, 1,000,000 x 10 (%.1f MB): Calvor %.3f s, %.1f MB peak (budget 16 MB)\n", op, b / 1e6, cs, ck / 1024 }'
done
