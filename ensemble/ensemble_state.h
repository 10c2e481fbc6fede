#pragma once
// What ensemble-runner holds while it runs: the observed series, the folded
// bounds and average, the run table and the final statistics.

#include "arrays.h"
#include "calibration_settings.h"

struct EnsembleResults {
  DoubleMatrix observed;      // nsteps x nflux
  DoubleMatrix simulated;     // nsteps x nflux, flows of the latest run
  DoubleVector multipliers;   // the current parameter set, 20 values
  DoubleVector objectives;    // nflux values of the current run
  DoubleMatrix upperBound;    // nsteps x nflux
  DoubleMatrix lowerBound;    // nsteps x nflux
  DoubleMatrix average;       // nsteps x nflux, running sum of flow / nruns
  DoubleMatrix runTable;      // nruns x (nflux + 20): objective values, then multipliers
  DoubleMatrix finalStatistics;  // 6 x nflux
  DoubleMatrix runFits;       // with --metrics-per-run: nruns x (nflux x the fit figures), else empty
};

// Every array at its shape; bounds at -1e12 and +1e12, the rest zero.
EnsembleResults AllocateEnsembleResults(const CalibrationSettings& settings);

// Folds one run's simulated flows into the bounds and the running average.
void UpdateBoundsAndAverage(const CalibrationSettings& settings, EnsembleResults& results);

// Selection sort of the rows ascending by column 0. Each pass takes the first
// row of smallest key from position i on and exchanges it with row i.
void SortRunTable(DoubleMatrix& runTable, int nruns);

// 0-based row of middle rank: rank (n + 1) / 2 for odd n, n / 2 for even n.
int MiddleRankIndex(int nruns);
