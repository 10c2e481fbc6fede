#pragma once
// The fit measures hydrologists report today, over pairs of observed and
// simulated flows: NSE, KGE (2009 and 2012) with their components, percent
// bias, RMSE, MAE and the NSE of log flows. Each is NaN where it is
// undefined: fewer than 2 pairs, or a zero that it divides by.

#include <vector>

struct FitMeasures {
  int n = 0;
  double nse, kge, kgeR, kgeAlpha, kgeBeta, kge2012, kge2012Gamma, pbias, rmse, mae, logNse;
};

// NSE = 1 - sum (s - o)^2 / sum (o - mean o)^2.
// KGE (2009) = 1 - sqrt((r - 1)^2 + (alpha - 1)^2 + (beta - 1)^2) with r the
// Pearson correlation, alpha = sd s / sd o, beta = mean s / mean o; KGE
// (2012) with gamma = (sd s / mean s) / (sd o / mean o) in place of alpha.
// pbias = 100 sum (s - o) / sum o (positive: the model overestimates).
// log NSE: the NSE of ln(Q + e), e = mean o / 100.
FitMeasures MeasureFit(const double* observed, const double* simulated, int n);

// The pairs of a flux that the statistics score: observed above the
// threshold, and neither value missing (NaN, or the model's missing flow).
void ScoredPairs(const double* observed, const double* simulated, int steps, int stride, double threshold,
                 std::vector<double>& o, std::vector<double>& s);

struct BandCoverage {
  double pFactor, rFactor;
};

// Of the observations above `threshold` (NaN never is): the p-factor, the
// share inside [lower, upper] (bounds included), and the r-factor, the mean
// width of the band at those steps over their sample standard deviation
// (divisor n - 1). NaN where undefined: no such observation for both, fewer
// than 2 or no spread for the r-factor. Each array holds `steps` values
// `stride` apart.
BandCoverage MeasureBand(const double* observed, const double* lower, const double* upper, int steps, int stride,
                         double threshold);
