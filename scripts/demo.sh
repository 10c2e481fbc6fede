#!/usr/bin/env bash
# Sets up, builds and runs the bundled example end to end: a copy of
# examples/demo-basin/ per program under build/demo-run/ (the example itself
# is never written to), the model library copied in, then the three programs
# and their pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" -DTOOLKIT_BUILD_TESTS=OFF -DTOOLKIT_BUILD_BENCH=OFF
bin="$root/build/bin"
run="$root/build/demo-run"
rm -rf "$run"
# Each program in its own copy of the example: oat-sensitivity rewrites
# parameter.in with no parameter flagged, which would leave the ensemble
# without anything to vary if both shared one folder.
for program in ensemble oat morris calvor; do
  mkdir -p "$run"
  cp -R "$root/examples/demo-basin" "$run/$program"
  cp "$bin/fluvex.dll" "$run/$program/"
done

echo "== ensemble-runner --band 2.5,97.5 --metrics-per-run --start-date 2001-01-01 --units m3/s run_control.txt (in $run/ensemble)"
cd "$run/ensemble"
"$bin/ensemble-runner" --band 2.5,97.5 --metrics-per-run --start-date 2001-01-01 --units m3/s run_control.txt \
  > ensemble-runner.log
tail -n 12 ensemble-runner.log
cat metrics.csv
"$bin/plot-results" band run_control.txt

echo "== oat-sensitivity (in $run/oat)"
cd "$run/oat"
"$bin/oat-sensitivity" > oat-sensitivity.log 2> oat-sensitivity.progress
tail -n 1 oat-sensitivity.progress
"$bin/plot-results" sensitivity

echo "== oat-sensitivity --method morris --observed observed.csv (in $run/morris)"
cd "$run/morris"
"$bin/oat-sensitivity" --method morris --observed observed.csv > morris.log 2> morris.progress
grep -A 5 "^mean_flow: parameters ranked" morris.log
"$bin/plot-results" morris

echo "== Calvor (in $run/calvor)"
cd "$run/calvor"
"$bin/Calvor"
"$bin/plot-results" stats

cat <<LIST

Results in $run:
  ensemble/series.csv        observed and calibrated (middle-rank set) flows per station and day
  ensemble/bounds.csv        lowest, highest and average flow of the ensemble per station and day
  ensemble/statistics.csv    RMS, STD, NSE, NSC and BIAS of the calibrated run per station
  ensemble/metrics.csv       NSE, KGE (2009, 2012) and parts, pbias, RMSE, MAE, log NSE, p- and r-factor per station
  ensemble/run_metrics.csv   the same measures for every run
  ensemble/band.csv          2.5 and 97.5 percentiles and the median of the runs per day and station
  ensemble/band_flux1.png .. band_flux3.png   95 % band, average, calibrated and observed flows per station, by date
  ensemble/fit_flux1.png .. fit_flux3.png     observed against calibrated, and flow-duration curves, per station
  ensemble/band_quality.csv                   p-factor and r-factor of the band per station
  oat/OAT.txt                the 400 one-at-a-time runs: parameter and multiplier
  oat/parameter.in           parameter table with the derived lower and upper multipliers
  oat/SensAnalysis.txt       maximum, mean and standard deviation of the station flow per OAT run
  oat/SArunOutput.txt        sensitivity of the three figures per parameter
  oat/sensitivity_ranking.png   parameters ranked by their sensitivity figures
  oat/sensitivity_runs.png      station mean and maximum flow against each multiplier
  oat/sensitivity.csv, oat/oat_runs.csv      the same figures at full precision, with the parameter names
  morris/morris_design.csv   the Morris design: 20 trajectories of 21 runs, the multipliers of each run
  morris/morris_runs.csv     maximum, mean and standard deviation of the station flow, NSE and KGE per run
  morris/morris.csv          mu, mu*, sigma, the confidence of mu* and r per output and parameter
  morris/morris_max_flow.png .. morris_kge.png   mu*-sigma plane and ranked mu* per output
  calvor/monthly.csv         monthly means of the daily series
  calvor/annual.csv          annual means of the monthly means
  calvor/logfilestats.txt    Calvor's run log
  calvor/stats_column1.png .. stats_column3.png   monthly and annual means per column
LIST
