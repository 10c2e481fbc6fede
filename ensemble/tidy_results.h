#pragma once
// The tidy result files of ensemble-runner, beside the three fixed-format
// ones: "metrics.csv" (the fit measures of the calibrated run per station),
// "run_metrics.csv" (those of every run) and "band.csv" (percentiles of the
// runs per step and station). Each starts with comment lines ("# key: value")
// that say what the file holds, then a header of names; figures with nine
// significant digits, NaN where undefined.

#include <cstddef>
#include <string>
#include <vector>

#include "arrays.h"
#include "civil_date.h"
#include "fit_measures.h"

extern const char* const kMetricsFile;
extern const char* const kRunMetricsFile;
extern const char* const kBandFile;

struct TidyNotes {
  std::string units;         // "" when not given
  CivilDate startDate;       // year 0 when not given
  std::string band;          // "min/max" or the percentiles asked, such as "2.5,97.5"
  size_t keptSets = 0, totalSets = 0;
  std::string behavioural;   // the rule, "" for every set
  std::vector<std::string> stations;  // a name per flux, for metrics.csv
};

// The fit measures of one run and flux as they are kept between runs: n,
// then the eleven measures in the files' order.
constexpr int kFitFigures = 12;
void StoreFit(const FitMeasures& fit, double* figures);

// "metrics.csv": one row per flux of the calibrated run.
std::string MetricsText(const TidyNotes& notes, const std::vector<FitMeasures>& fits,
                        const std::vector<BandCoverage>& bands);

// "run_metrics.csv": `figures` holds kFitFigures per flux for each run;
// `runs` the runs (0-based) written, `setNumbers` their set numbers. A single
// run has no band: its p_factor and r_factor are NaN.
std::string RunMetricsText(const TidyNotes& notes, const DoubleMatrix& figures, const std::vector<size_t>& runs,
                           const std::vector<int>& setNumbers, int nflux);

// "band.csv": a row per step and flux, step after step.
std::string BandText(const TidyNotes& notes, const DoubleMatrix& lower, const DoubleMatrix& median,
                     const DoubleMatrix& upper);
