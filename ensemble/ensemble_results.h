#pragma once
// Scoring of the final run with all six objective functions, and the three
// result files of ensemble-runner.

#include <string>

#include "arrays.h"
#include "calibration_settings.h"
#include "ensemble_state.h"
#include "run_files.h"

// Fills the 6 x nflux statistics: RMS, STD, TRMS, 1 - (kind 4), -(kind 5), BIAS.
// A flux without validation data keeps zeros and is reported on the console.
void EvaluateFinalRun(const CalibrationSettings& settings, const DoubleMatrix& simulated,
                      const DoubleMatrix& observed, DoubleMatrix& finalStatistics);

// The text of each result file.
std::string SeriesFileText(const CalibrationSettings& settings, const EnsembleResults& results);
std::string BoundsFileText(const CalibrationSettings& settings, const EnsembleResults& results);
std::string StatisticsFileText(const CalibrationSettings& settings, const EnsembleResults& results);

// Writes the series, bounds and statistics files, in this order.
void WriteEnsembleResults(const CalibrationSettings& settings, const EnsembleResults& results,
                          const RunFiles& files);
