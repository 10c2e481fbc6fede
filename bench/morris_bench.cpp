// The analysis of a Morris screening after its runs: R = 100 trajectories
// (2,100 runs), 5 outputs, 1,000 bootstrap resamples of the effects of each
// of the 20 parameters, against the floor of one pass over the same figures.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "best_seconds.h"
#include "morris_analysis.h"
#include "morris_design.h"

int main() {
  MorrisSettings settings;
  settings.trajectories = 100;
  settings.bootstrap = 1000;
  double lower[kParameterCount], upper[kParameterCount];
  std::fill(lower, lower + kParameterCount, 0.5);
  std::fill(upper, upper + kParameterCount, 2.0);
  const std::vector<MorrisPoint> design = DrawMorrisDesign(settings, lower, upper);
  const int outputs = 5;
  std::vector<RunResult> figures;
  for (const MorrisPoint& point : design) {
    RunResult y(outputs);
    for (int o = 0; o < outputs; ++o)
      y[static_cast<size_t>(o)] = std::sin(point.multipliers[o]) * point.multipliers[o + 1] + point.multipliers[7] * o;
    figures.push_back(y);
  }
  auto never = [](size_t, int) { return false; };
  size_t rows = 0;
  const double analysis = BestSeconds([&] {
    rows = MorrisEffects(design, figures, outputs, settings.levels, settings.bootstrap, settings.seed, never).size();
  });
  double sum = 0;
  const double floor = BestSeconds([&] {
    for (const RunResult& y : figures)
      for (double v : y) sum += std::fabs(v);
  });
  std::printf("Morris analysis, R = %d (%zu runs), %d outputs, B = %d: %.3f s for %zu rows (budget 0.5 s); "
              "one pass over the figures %.6f s\n",
              settings.trajectories, design.size(), outputs, settings.bootstrap, analysis, rows, floor);
  return sum > 0 ? 0 : 1;
}
