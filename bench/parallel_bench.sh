#!/usr/bin/env bash
# ensemble-runner of the MPI build with a model whose every run waits 100 ms:
# 200 runs of 3,650 steps, 5 stations and 100 subbasins, serially and with
# 1, 2 and 4 worker ranks. Prints the wall time against serial time / workers
# and the coordinator's own time per run.
# Then stragglers: one run in twenty waits 2 s on its first attempt only;
# with 4 ranks, --isolate and re-dispatch against 1.3 x serial time / 3.
# Usage: bench/parallel_bench.sh [MPI_BUILD_DIR]   (a build with -DTOOLKIT_WITH_MPI=ON)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-mpi}" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir" "$dir.workers"' EXIT
python3 "$root/bench/make_model_case.py" "$dir" 100 3650 200
cp "$build/bench/waiting/fluvex.dll" "$dir/"
cd "$dir"
seconds() { /usr/bin/time -f %e -o time.txt "$@" > /dev/null 2>&1; cat time.txt; }
serial=$(seconds "$build/bin/ensemble-runner" run.txt)
printf '%-10s %8s s\n' serial "$serial"
# Rank 0 runs under /usr/bin/time too: its processor time is the coordinator's own work.
cat > rank.sh <<SH
#!/bin/sh
if [ "\${OMPI_COMM_WORLD_RANK:-0}" = 0 ]; then
  exec /usr/bin/time -f "%U %S" -o coordinator.txt "$build/bin/ensemble-runner" run.txt
fi
exec "$build/bin/ensemble-runner" run.txt
SH
chmod +x rank.sh
for workers in 1 2 4; do
  wall=$(seconds mpirun --allow-run-as-root --oversubscribe --mca mpi_yield_when_idle 1 -n $((workers + 1)) ./rank.sh)
  read -r user system < coordinator.txt
  awk -v w="$workers" -v t="$wall" -v s="$serial" -v c="$user + $system" 'BEGIN {
    split(c, parts, " + "); cpu = parts[1] + parts[2]; ideal = s / w
    printf "%d workers %8.2f s   serial/workers %6.2f s   ratio %.2f   coordinator %.2f ms per run\n",
      w, t, ideal, t / ideal, 1000 * cpu / 200 }'
done

# Stragglers: overdue runs are made again by an idle worker.
cp "$build/bench/straggling/fluvex.dll" "$dir/"
mkdir -p "$dir/markers"
echo "$dir/markers" > "$dir/stragglers.txt"
# The start-up: four ranks that start MPI and end at once.
start=$(date +%s.%N)
mpirun --allow-run-as-root --oversubscribe -n 4 "$build/bin/ensemble-runner" --version > /dev/null
startup=$(echo "$(date +%s.%N) - $start" | bc)
wall=$(seconds mpirun --allow-run-as-root --oversubscribe --mca mpi_yield_when_idle 1 -n 4 \
  "$build/bin/ensemble-runner" --isolate run.txt)
stragglers=$(ls "$dir/markers" | wc -l)
awk -v t="$wall" -v s="$serial" -v u="$startup" -v n="$stragglers" 'BEGIN {
  budget = 1.3 * s / 3 + u
  printf "4 ranks, %d stragglers of 2 s, --isolate: %.2f s   budget 1.3 x %.2f s / 3 + %.2f s start-up = %.2f s\n",
    n, t, s, u, budget }'
