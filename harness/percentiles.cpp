#include "percentiles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// numpy's interpolation: from the nearer end, so that t = 1 gives b exactly.
double Lerp(double a, double b, double t) {
  const double difference = b - a;
  return t >= 0.5 ? b - difference * (1 - t) : a + difference * t;
}

}  // namespace

void LinearPercentiles(double* values, size_t n, const double* percents, size_t count, double* out) {
  size_t settled = 0;  // values[0 .. settled) hold the smallest values, each not above any later one
  for (size_t k = 0; k < count; ++k) {
    if (n == 0) {
      out[k] = std::numeric_limits<double>::quiet_NaN();
      continue;
    }
    const double h = static_cast<double>(n - 1) * (percents[k] / 100);
    const size_t below = std::min(static_cast<size_t>(std::floor(h)), n - 1);
    // The percents ascend: the order statistic sought lies at or after the last one placed.
    std::nth_element(values + settled, values + below, values + n);
    settled = below;
    const double t = h - static_cast<double>(below);
    if (t == 0 || below + 1 >= n) {
      out[k] = values[below];
      continue;
    }
    const double above = *std::min_element(values + below + 1, values + n);
    out[k] = Lerp(values[below], above, t);
  }
}
