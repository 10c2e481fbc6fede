#include "ensemble_state.h"

#include <algorithm>

EnsembleResults AllocateEnsembleResults(const CalibrationSettings& s) {
  EnsembleResults r;
  r.observed = DoubleMatrix(s.nsteps, s.nflux);
  r.simulated = DoubleMatrix(s.nsteps, s.nflux);
  r.multipliers = DoubleVector(s.nparam);
  r.objectives = DoubleVector(s.nflux);
  r.upperBound = DoubleMatrix(s.nsteps, s.nflux);
  r.lowerBound = DoubleMatrix(s.nsteps, s.nflux);
  r.average = DoubleMatrix(s.nsteps, s.nflux);
  r.runTable = DoubleMatrix(s.nruns, s.nflux + s.nparam);
  r.finalStatistics = DoubleMatrix(6, s.nflux);
  r.upperBound.Fill(-1.0e12);
  r.lowerBound.Fill(1.0e12);
  return r;
}

void UpdateBoundsAndAverage(const CalibrationSettings& s, EnsembleResults& r) {
  for (int t = 0; t < s.nsteps; ++t) {
    const double* flow = r.simulated[t];
    double* upper = r.upperBound[t];
    double* lower = r.lowerBound[t];
    double* mean = r.average[t];
    for (int j = 0; j < s.nflux; ++j) {
      if (flow[j] >= upper[j]) upper[j] = flow[j];
      if (flow[j] <= lower[j]) lower[j] = flow[j];
      mean[j] += flow[j] / s.nruns;
    }
  }
}

void SortRunTable(DoubleMatrix& runTable, int nruns) {
  const std::ptrdiff_t width = runTable.columns();
  for (int i = 0; i < nruns; ++i) {
    int smallest = i;
    for (int j = i + 1; j < nruns; ++j)
      if (runTable[j][0] < runTable[smallest][0]) smallest = j;
    std::swap_ranges(runTable[i], runTable[i] + width, runTable[smallest]);
  }
}

int MiddleRankIndex(int nruns) { return (nruns + 1) / 2 - 1; }
