#include "oat_figures.h"

#include <cmath>

#include "parameter_table.h"
#include "streamflow.h"

Moments SeriesMoments(int n, const float* x) {
  Moments m;
  if (n < 1) return m;
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += static_cast<double>(x[i]);
  m.mean = sum / n;
  if (n < 2) return m;
  double squares = 0;
  for (int i = 0; i < n; ++i) {
    double d = static_cast<double>(x[i]) - m.mean;
    squares += d * d;
  }
  m.variance = squares / (n - 1);
  m.stddev = std::sqrt(m.variance);
  return m;
}

RunStatistics StationFlowStats(const std::vector<double>& values) {
  std::vector<float> kept;
  kept.reserve(values.size());
  RunStatistics stats;
  for (double v : values) {
    if (v < 0 || v == kMissingFlow) continue;
    float f = static_cast<float>(v);
    kept.push_back(f);
    if (f > stats.max_mod) stats.max_mod = f;
  }
  Moments m = SeriesMoments(static_cast<int>(kept.size()), kept.data());
  stats.mean_mod = m.mean;
  stats.stddev = m.stddev;
  stats.kept = static_cast<int>(kept.size());
  return stats;
}

void AccumulateRun(std::vector<SensitivityAccumulator>& acc, int k, int whichParam, const RunStatistics& s) {
  SensitivityAccumulator& a = acc[static_cast<size_t>(k % kParameterCount)];
  a.whichParam = whichParam;
  if (!a.started) {
    a.started = true;
  } else {
    a.sumMaxChange += std::fabs(a.prevMax - s.max_mod);
    a.sumMeanChange += std::fabs(a.prevMean - s.mean_mod);
    a.sumStddevChange += std::fabs(a.prevStddev - s.stddev);
  }
  a.prevMax = s.max_mod;
  a.prevMean = s.mean_mod;
  a.prevStddev = s.stddev;
}
