#pragma once
// Scoring of the final run with all six objective functions, and the three
// result files of ensemble-runner.

#include <string>
#include <vector>

#include "arrays.h"
#include "pending_file.h"
#include "calibration_settings.h"
#include "ensemble_state.h"
#include "run_files.h"

// Fills the 6 x nflux statistics: RMS, STD, TRMS, 1 - (kind 4), -(kind 5), BIAS.
// A flux without validation data gets NaN and is reported on the console.
void EvaluateFinalRun(const CalibrationSettings& settings, const DoubleMatrix& simulated,
                      const DoubleMatrix& observed, DoubleMatrix& finalStatistics);

// The text of each result file.
std::string SeriesFileText(const CalibrationSettings& settings, const EnsembleResults& results);
std::string BoundsFileText(const CalibrationSettings& settings, const EnsembleResults& results);
std::string StatisticsFileText(const CalibrationSettings& settings, const EnsembleResults& results);

// The three result files, open under their temporary names from before the
// first run (so that a folder that cannot be written is found then) until
// they are complete.
struct EnsembleResultFiles {
  PendingFile series, bounds, statistics;
  std::vector<PendingFile> tidy;  // the tidy files, opened by the caller
};

// Opens the three temporaries; one that cannot be created stops with "Can not open file: NAME".
EnsembleResultFiles CreateEnsembleResultFiles(const RunFiles& files);

// Writes the series, bounds and statistics files, and `tidyTexts` into the
// tidy files in their order, and renames them into place only when all are
// complete: a failure leaves the previous files.
void WriteEnsembleResults(const CalibrationSettings& settings, const EnsembleResults& results,
                          EnsembleResultFiles& files, const std::vector<std::string>& tidyTexts);
