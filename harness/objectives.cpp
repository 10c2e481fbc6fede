#include "objectives.h"

#include <cmath>
#include <cstdio>

#include "checked_files.h"
#include "stop.h"

double RMS(const double* o, const double* s, int n) {
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += (o[i] - s[i]) * (o[i] - s[i]);
  return std::sqrt(sum / n);
}

double STD(const double* o, const double* s, int n) {
  double mean = 0;
  for (int i = 0; i < n; ++i) mean += (s[i] - o[i]) / n;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    double d = (s[i] - o[i]) - mean;
    sum += d * d;
  }
  return std::sqrt(sum / (n - 1));
}

static double TransformedFlow(double x) { return (std::sqrt(x) - 1.0) / x; }

double TRMS(const double* o, const double* s, int n) {
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    double d = TransformedFlow(o[i]) - TransformedFlow(s[i]);
    sum += d * d;
  }
  return std::sqrt(sum / n);
}

double NSE(const double* o, const double* s, int n) {
  double mean = 0;
  for (int i = 0; i < n; ++i) mean += o[i] / n;
  double residual = 0, spread = 0;
  for (int i = 0; i < n; ++i) {
    residual += (o[i] - s[i]) * (o[i] - s[i]);
    spread += (o[i] - mean) * (o[i] - mean);
  }
  return residual / spread;
}

double NSC(const double* o, const double* s, int n) {
  int changes = 0;
  for (int i = 1; i < n; ++i)
    if ((s[i] - o[i]) * (s[i - 1] - o[i - 1]) < 0) ++changes;
  return -static_cast<double>(changes);
}

double BIAS(const double* o, const double* s, int n) {
  double difference = 0, total = 0;
  for (int i = 0; i < n; ++i) {
    difference += o[i] - s[i];
    total += o[i];
  }
  return 100.0 * difference / total;
}

ObjectiveFunction ObjectiveOfKind(int kind) {
  static const ObjectiveFunction kFunctions[] = {RMS, STD, TRMS, NSE, NSC, BIAS};
  if (kind < 1 || kind > 6) return nullptr;
  return kFunctions[kind - 1];
}

int SelectPairs(const DoubleMatrix& observed, const DoubleMatrix& simulated, int flux,
                int nsteps, int threshold, DoubleVector& o, DoubleVector& s) {
  const double limit = threshold;
  int n = 0;
  for (int t = 0; t < nsteps; ++t) {
    if (observed[t][flux] > limit) {
      o[n] = observed[t][flux];
      s[n] = simulated[t][flux];
      ++n;
    }
  }
  return n;
}

void ReportNoValidationData(int flux) {
  std::printf("Attention: no validation data available for flux %2d.\n", flux);
  std::printf("Objective fluction value set to %e.\n", kNoDataObjective);
}

void EvaluateObjective(const CalibrationSettings& settings, const DoubleMatrix& simulated,
                       const DoubleMatrix& observed, DoubleVector& objectives) {
  DoubleVector o(settings.nsteps), s(settings.nsteps);
  for (int i = 0; i < settings.nflux; ++i) {
    int n = SelectPairs(observed, simulated, i, settings.nsteps, settings.obsThreshold, o, s);
    if (n == 0) {
      objectives[i] = kNoDataObjective;
      ReportNoValidationData(i + 1);
      continue;
    }
    ObjectiveFunction f = ObjectiveOfKind(settings.objectiveKind);
    if (!f) FatalError("OBJECTIVE FUNCTION NOT DEFINED");
    objectives[i] = f(o.data(), s.data(), n);
  }
}
