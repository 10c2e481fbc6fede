#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in build-fuzz/ and runs them.
#
#   fuzz/run.sh SECONDS [TARGET...]
#                            every target (or those named) for SECONDS each,
#                            growing fuzz/out/TARGET
#   fuzz/run.sh --ci RUNS    replay the seeds and regression inputs, then RUNS
#                            executions of every target with a fixed seed
#
# Needs clang and libclang-rt-14-dev (Debian). A crash leaves its input in
# fuzz/out/TARGET/; keep it under fuzz/regressions/TARGET/ once it is fixed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
mode=time
if [ "${1:-}" = "--ci" ]; then
  mode=ci; runs=${2:?runs}
else
  seconds=${1:?"usage: fuzz/run.sh SECONDS [TARGET...] | --ci RUNS"}; shift; chosen="$*"
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOOLKIT_BUILD_FUZZ=ON -DTOOLKIT_BUILD_TESTS=OFF -DTOOLKIT_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  > /dev/null
cmake --build "$build" --target fuzzers -j2 > /dev/null

targets=${chosen:-$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//')}
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for t in $targets; do
  exe="$build/fuzz/fuzz_$t"
  seeds="$root/fuzz/corpus/$t"
  regressions="$root/fuzz/regressions/$t"
  out="$root/fuzz/out/$t"
  mkdir -p "$out"
  dirs=("$out" "$seeds")
  [ -d "$regressions" ] && dirs+=("$regressions")
  if [ "$mode" = ci ]; then
    # Replay every kept input, then a short deterministic run.
    inputs=$(find "${dirs[@]:1}" -type f)
    "$exe" $inputs > "$out/replay.log" 2>&1 || { cat "$out/replay.log"; exit 1; }
    "$exe" -runs="$runs" -seed=1 -dict="$root/fuzz/formats.dict" -max_len=4096 \
      -artifact_prefix="$out/" "${dirs[@]}" > "$out/run.log" 2>&1 || { tail -n 40 "$out/run.log"; exit 1; }
  else
    "$exe" -max_total_time="$seconds" -dict="$root/fuzz/formats.dict" -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$out/" "${dirs[@]}" > "$out/run.log" 2>&1 \
      || { tail -n 40 "$out/run.log"; echo "fuzz_$t: finding in $out"; exit 1; }
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/run.log")
  [ -n "$executions" ] || executions=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$out/run.log")
  coverage=$(grep -o 'cov: [0-9]*' "$out/run.log" | tail -n 1)
  printf '%-22s %10s executions  %s  no findings\n' "$t" "${executions:-?}" "$coverage"
done
