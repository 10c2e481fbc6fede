#pragma once
// The six objective functions and the per-flux scoring of a model run.

#include "arrays.h"
#include "calibration_settings.h"

// Stored for a flux that has no observed value above the threshold.
constexpr double kNoDataObjective = 1.0e20;

// Each takes the observed list, the simulated list and the pair count n >= 1.
double RMS(const double* o, const double* s, int n);
double STD(const double* o, const double* s, int n);
double TRMS(const double* o, const double* s, int n);
double NSE(const double* o, const double* s, int n);   // returns 1 - efficiency (kind 4)
double NSC(const double* o, const double* s, int n);   // returns minus the sign changes (kind 5)
double BIAS(const double* o, const double* s, int n);

typedef double (*ObjectiveFunction)(const double* o, const double* s, int n);

// The function of objective kind 1 to 6, or nullptr for any other kind.
ObjectiveFunction ObjectiveOfKind(int kind);

// Collects, in time order, the pairs of flux `flux` whose observed value is
// greater than `threshold`. Returns the pair count.
int SelectPairs(const DoubleMatrix& observed, const DoubleMatrix& simulated, int flux,
                int nsteps, int threshold, DoubleVector& o, DoubleVector& s);

// Prints the two lines that report a flux without validation data.
void ReportNoValidationData(int flux);

// Scores every flux with the configured objective function. A flux without
// validation data gets 1.0e20 and the two messages; the later fluxes are
// still scored. An undefined kind stops through FatalError.
void EvaluateObjective(const CalibrationSettings& settings, const DoubleMatrix& simulated,
                       const DoubleMatrix& observed, DoubleVector& objectives);
