#!/usr/bin/env bash
# Runs the Windows build, not only compiles it: cross-compiles everything with
# mingw-w64, runs the Windows programs under Wine on copies of the bundled
# example (each program in its own folder) and compares every result file
# with the Linux build's (line ends aside), then runs the tests of the
# Windows-only code under Wine. Any difference or failing test fails.
# Usage: scripts/windows-check.sh   (LINUX_BUILD=DIR to use another Linux build than build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)

need=()
for p in cmake g++ g++-mingw-w64-x86-64-posix wine wine64 googletest; do
  dpkg -s "$p" > /dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "installing: ${need[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" > /dev/null
fi

linux=$(realpath -m "${LINUX_BUILD:-build}")
if [ ! -x "$linux/bin/ensemble-runner" ]; then
  cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DTOOLKIT_BUILD_TESTS=OFF -DTOOLKIT_BUILD_BENCH=OFF > /dev/null
fi
cmake --build "$linux" -j2 --target ensemble-runner oat-sensitivity Calvor fluvex > /dev/null
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTOOLKIT_BUILD_TESTS=ON > /dev/null
cmake --build build-windows -j2 > /dev/null

export WINEPREFIX="$root/build-windows/wine-prefix" WINEDEBUG=-all
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
[ -d "$WINEPREFIX" ] || "$wine" wineboot --init > /dev/null 2>&1 || true

# The same example and options on both sides.
check="$root/build-windows/check"
rm -rf "$check"
run_side() {  # side, then the command that starts a program (with .exe on Windows)
  local side=$1 bin=$2 exe=$3 launch=$4
  for program in ensemble oat morris calvor; do
    mkdir -p "$check/$side"
    cp -R "$root/examples/demo-basin" "$check/$side/$program"
    cp "$bin/fluvex.dll" "$check/$side/$program/"
  done
  (cd "$check/$side/ensemble" && $launch "$bin/ensemble-runner$exe" --band 2.5,97.5 --metrics-per-run \
     --start-date 2001-01-01 --units m3/s run_control.txt > run.log 2>&1)
  (cd "$check/$side/oat" && $launch "$bin/oat-sensitivity$exe" > run.log 2>&1)
  (cd "$check/$side/morris" && $launch "$bin/oat-sensitivity$exe" --method morris --trajectories 10 \
     --observed observed.csv > run.log 2>&1)
  (cd "$check/$side/calvor" && $launch "$bin/Calvor$exe" > run.log 2>&1)
}
run_side linux "$linux/bin" "" ""
run_side windows "$root/build-windows/bin" ".exe" "$wine"

failed=0
compare() {  # program folder, then its result files
  local program=$1
  shift
  for name in "$@"; do
    if [ ! -f "$check/linux/$program/$name" ] || [ ! -f "$check/windows/$program/$name" ]; then
      echo "MISSING: $program/$name (see $check/*/$program/run.log)"
      failed=1
      continue
    fi
    if ! diff -q <(tr -d '\r' < "$check/linux/$program/$name") <(tr -d '\r' < "$check/windows/$program/$name") \
         > /dev/null 2>&1; then
      echo "DIFFERS: $program/$name (Linux against Windows)"
      diff <(tr -d '\r' < "$check/linux/$program/$name") <(tr -d '\r' < "$check/windows/$program/$name") | head -n 6 || true
      failed=1
    fi
  done
}
compare ensemble series.csv bounds.csv statistics.csv metrics.csv run_metrics.csv band.csv
compare oat OAT.txt parameter.in SensAnalysis.txt SArunOutput.txt sensitivity.csv oat_runs.csv
compare morris morris_design.csv morris_runs.csv morris.csv
compare calvor monthly.csv annual.csv monthly_counts.csv annual_counts.csv
[ "$failed" = 0 ] && echo "the Windows programs give the Linux results on the example (21 files)"

echo "== the tests of the Windows-only code, under Wine"
(cd build-windows/bin && "$wine" windows_tests.exe) || failed=1
echo "windows check: $(( $(date +%s) - start )) s"
exit "$failed"
