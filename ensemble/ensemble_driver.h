#pragma once
// The ensemble loop of ensemble-runner: one model run per calibrated set,
// bounds and average over the runs, ranking, and the run of middle rank.

#include "arrays.h"
#include "calibration_settings.h"
#include "model_library.h"
#include "parallel.h"
#include "run_files.h"
#include "run_options.h"

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

// The whole program after the library is bound and the run-control file read.
void RunEnsemble(CalibrationSettings& settings, const RunFiles& files, const ModelEntryPoints& entries,
                 const RunOptions& options, ParallelSession& session);
