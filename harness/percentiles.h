#pragma once
// Percentiles by linear interpolation between order statistics, the
// definition numpy uses by default: for n values sorted as x[0..n-1] and a
// percent p, h = (n - 1) p / 100 and the percentile is
// x[floor h] + (h - floor h) (x[floor h + 1] - x[floor h]).

#include <cstddef>

// The percentiles `percents` (ascending, each from 0 to 100) of the n values,
// which are reordered in place; NaN for n = 0. Linear in n for a few percents.
void LinearPercentiles(double* values, size_t n, const double* percents, size_t count, double* out);
