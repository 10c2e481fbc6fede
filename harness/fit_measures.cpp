#include "fit_measures.h"

#include <cmath>
#include <limits>

#include "streamflow.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

double Mean(const double* x, int n) {
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += x[i];
  return sum / n;
}

// The sample standard deviation (divisor n - 1).
double Deviation(const double* x, int n, double mean) {
  double squares = 0;
  for (int i = 0; i < n; ++i) squares += (x[i] - mean) * (x[i] - mean);
  return std::sqrt(squares / (n - 1));
}

double Divide(double a, double b) { return b == 0 ? kNaN : a / b; }

double Nse(const double* o, const double* s, int n) {
  const double mean = Mean(o, n);
  double residual = 0, spread = 0;
  for (int i = 0; i < n; ++i) {
    residual += (s[i] - o[i]) * (s[i] - o[i]);
    spread += (o[i] - mean) * (o[i] - mean);
  }
  return spread == 0 ? kNaN : 1 - residual / spread;
}

double Distance(double r, double a, double b) {
  return 1 - std::sqrt((r - 1) * (r - 1) + (a - 1) * (a - 1) + (b - 1) * (b - 1));
}

}  // namespace

FitMeasures MeasureFit(const double* o, const double* s, int n) {
  FitMeasures m;
  m.n = n;
  m.nse = m.kge = m.kgeR = m.kgeAlpha = m.kgeBeta = m.kge2012 = m.kge2012Gamma = m.pbias = m.rmse = m.mae =
      m.logNse = kNaN;
  if (n < 2) return m;
  const double meanO = Mean(o, n), meanS = Mean(s, n);
  const double sdO = Deviation(o, n, meanO), sdS = Deviation(s, n, meanS);
  double cross = 0, squared = 0, absolute = 0, difference = 0, total = 0;
  for (int i = 0; i < n; ++i) {
    cross += (o[i] - meanO) * (s[i] - meanS);
    squared += (s[i] - o[i]) * (s[i] - o[i]);
    absolute += std::fabs(s[i] - o[i]);
    difference += s[i] - o[i];
    total += o[i];
  }
  m.nse = Nse(o, s, n);
  m.kgeR = Divide(cross / (n - 1), sdO * sdS);
  m.kgeAlpha = Divide(sdS, sdO);
  m.kgeBeta = Divide(meanS, meanO);
  m.kge = Distance(m.kgeR, m.kgeAlpha, m.kgeBeta);
  m.kge2012Gamma = Divide(Divide(sdS, meanS), Divide(sdO, meanO));
  m.kge2012 = Distance(m.kgeR, m.kge2012Gamma, m.kgeBeta);
  m.pbias = Divide(100 * difference, total);
  m.rmse = std::sqrt(squared / n);
  m.mae = absolute / n;
  const double epsilon = meanO / 100;
  std::vector<double> logO(static_cast<size_t>(n)), logS(static_cast<size_t>(n));
  bool positive = true;
  for (int i = 0; i < n && positive; ++i) {
    positive = o[i] + epsilon > 0 && s[i] + epsilon > 0;
    if (positive) {
      logO[static_cast<size_t>(i)] = std::log(o[i] + epsilon);
      logS[static_cast<size_t>(i)] = std::log(s[i] + epsilon);
    }
  }
  if (positive) m.logNse = Nse(logO.data(), logS.data(), n);
  return m;
}

void ScoredPairs(const double* observed, const double* simulated, int steps, int stride, double threshold,
                 std::vector<double>& o, std::vector<double>& s) {
  o.clear();
  s.clear();
  for (int t = 0; t < steps; ++t) {
    const double ov = observed[static_cast<size_t>(t) * static_cast<size_t>(stride)];
    const double sv = simulated[static_cast<size_t>(t) * static_cast<size_t>(stride)];
    if (!(ov > threshold) || std::isnan(sv) || sv == kMissingFlow) continue;
    o.push_back(ov);
    s.push_back(sv);
  }
}

BandCoverage MeasureBand(const double* observed, const double* lower, const double* upper, int steps, int stride,
                         double threshold) {
  BandCoverage c{kNaN, kNaN};
  int n = 0, inside = 0;
  double sum = 0, width = 0;
  for (int t = 0; t < steps; ++t) {
    const size_t at = static_cast<size_t>(t) * static_cast<size_t>(stride);
    if (!(observed[at] > threshold)) continue;
    ++n;
    inside += lower[at] <= observed[at] && observed[at] <= upper[at];
    sum += observed[at];
    width += upper[at] - lower[at];
  }
  if (n == 0) return c;
  c.pFactor = static_cast<double>(inside) / n;
  if (n < 2) return c;
  const double mean = sum / n;
  double squares = 0;
  for (int t = 0; t < steps; ++t) {
    const double o = observed[static_cast<size_t>(t) * static_cast<size_t>(stride)];
    if (o > threshold) squares += (o - mean) * (o - mean);
  }
  c.rFactor = Divide(width / n, std::sqrt(squares / (n - 1)));
  return c;
}
