#!/usr/bin/env bash
# plot-results on large result files: band on 36,500 steps x 3 stations and
# stats on 100 years x 12 columns. Prints the time of each.
# Usage: bench/plot_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
python3 - <<'PY'
import math, random
rng = random.Random(3)
steps, n = 36500, 3
with open("run.txt", "w") as f:
    f.write("1\nobs sets objs series.csv stats.csv bounds.csv bal moscem.txt t b r bo ro s1 s2 w\n")
with open("moscem.txt", "w") as f:
    f.write("3\n1\n%d\n1\n0\nx\n1,1,1,\n" % steps)
series = ["Timestep," + "".join("Observed Station%d,Calibrated Station%d," % (i, i) for i in range(1, n + 1))]
bounds = ["Timestep," + "".join("LowerBound Station%d," % i for i in range(1, n + 1)) +
          "".join("UppBound Station%d," % i for i in range(1, n + 1)) + "".join("Average Station%d," % i for i in range(1, n + 1))]
for t in range(1, steps + 1):
    q = [50 + 40 * math.sin(t / 58.0 + i) for i in range(n)]
    series.append("%5d," % t + "".join("%15.5E,%15.5E," % (v * rng.uniform(0.8, 1.2), v) for v in q))
    bounds.append("%5d," % t + "".join("%15.5E," % (v * 0.9) for v in q) + "".join("%15.5E," % (v * 1.1) for v in q)
                  + "".join("%15.5E," % v for v in q))
open("series.csv", "w").write("\n".join(series) + "\n")
open("bounds.csv", "w").write("\n".join(bounds) + "\n")
open("stats.csv", "w").write("".join("Flux %d\nRMS,STD,NSE,NSC,BIAS\n1.0,1.0,0.9,10.0,1.0\n\n" % i for i in range(1, n + 1)))
open("statsparam.txt", "w").write("1901\n1\n1\n2000\n36525\n12\nMean\ndaily.csv\nmonthly.csv\nannual.csv\n")
open("monthly.csv", "w").write("Date," + ",".join("Q%d" % c for c in range(1, 13)) + "\n" + "".join(
    "%d,%s\n" % (y * 100 + m, ",".join("%g" % rng.uniform(0, 100) for _ in range(12))) for y in range(1901, 2001) for m in range(1, 13)))
open("annual.csv", "w").write("Date," + ",".join("Q%d" % c for c in range(1, 13)) + "\n" + "".join(
    "%d,%s\n" % (y, ",".join("%g" % rng.uniform(0, 100) for _ in range(12))) for y in range(1901, 2001)))
PY
/usr/bin/time -f "band, 36,500 steps x 3 stations: %e s" "$build/bin/plot-results" band run.txt > /dev/null
/usr/bin/time -f "stats, 100 years x 12 columns: %e s" "$build/bin/plot-results" stats > /dev/null
