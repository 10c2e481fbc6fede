#include "percentile_band.h"

#include <algorithm>
#include <cmath>

#include "percentiles.h"
#include "stop.h"

PercentileBand BuildPercentileBand(FlowStore& store, const std::vector<size_t>& slots, int steps, int fluxes,
                                   double low, double high) {
  PercentileBand band{DoubleMatrix(steps, fluxes), DoubleMatrix(steps, fluxes), DoubleMatrix(steps, fluxes)};
  // The three percents ascending, and where each result goes.
  double percents[3] = {low, 50, high};
  DoubleMatrix* targets[3] = {&band.lower, &band.median, &band.upper};
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j)
      if (percents[j] < percents[i]) {
        std::swap(percents[i], percents[j]);
        std::swap(targets[i], targets[j]);
      }
  std::vector<double> block, values(slots.size());
  const size_t needed = slots.empty() ? 0 : *std::max_element(slots.begin(), slots.end()) + 1;
  for (size_t b = 0; b < store.Blocks(); ++b) {
    if (store.ReadBlock(b, block) < needed)
      FatalError("Can not read file: " + store.path() + " (it holds the flows of fewer runs than were made)\n");
    const size_t blockSteps = store.BlockSteps(b), perSlot = blockSteps * static_cast<size_t>(fluxes);
    for (size_t t = 0; t < blockSteps; ++t)
      for (int j = 0; j < fluxes; ++j) {
        size_t n = 0;
        for (size_t slot : slots) {
          const double v = block[slot * perSlot + t * static_cast<size_t>(fluxes) + static_cast<size_t>(j)];
          if (!std::isnan(v)) values[n++] = v;
        }
        double out[3];
        LinearPercentiles(values.data(), n, percents, 3, out);
        const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(store.BlockFirstStep(b) + t);
        for (int i = 0; i < 3; ++i) (*targets[i])[step][j] = out[i];
      }
  }
  return band;
}
