#pragma once
// The figures of the OAT runs: per run the station's maximum, mean and
// standard deviation of flow, per parameter the summed absolute changes of
// these figures between consecutive fractions.

#include <vector>

struct RunStatistics {
  double max_mod = 0, mean_mod = 0, stddev = 0;
  int kept = 0;  // station values that entered the figures
};

struct Moments {
  double mean = 0, variance = 0, stddev = 0;
};

struct SensitivityAccumulator {
  int whichParam = 0;
  bool started = false;  // a run of this parameter gave the starting figures
  double prevMax = 0, prevMean = 0, prevStddev = 0;
  double sumMaxChange = 0, sumMeanChange = 0, sumStddevChange = 0;
};

// Mean, sample variance and standard deviation; 0 where undefined (n < 2).
Moments SeriesMoments(int n, const float* x);

// Figures of one station series: the values that are neither negative nor
// missing enter the maximum (which starts at 0), the mean and the deviation.
RunStatistics StationFlowStats(const std::vector<double>& values);

// Folds run k (0-based) into the accumulators: the first run of each
// parameter (in the first block of 20 unless it failed) sets the starting
// figures, later runs add the absolute changes.
void AccumulateRun(std::vector<SensitivityAccumulator>& accumulators, int k, int whichParam,
                   const RunStatistics& stats);
