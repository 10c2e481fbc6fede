#pragma once
// One complete model run: the model input files written from the untouched
// source files with the run's multipliers applied, the two model stages
// called, and the simulated flows read back.

#include <utility>
#include <vector>

#include "arrays.h"
#include "calibration_settings.h"
#include "model_library.h"
#include "parameter_files.h"
#include "parameter_table.h"
#include "run_files.h"

// One multiplier per adjustable parameter; parameter m is element m - 1.
using ParameterSet = DoubleVector;

// What one run changes in the source values.
struct ParameterScaling {
  std::vector<std::pair<const AdjustableParameter*, double>> factors;  // applied in order
  int aridityOverride = 0;  // when not 0, every subbasin's Aridity is set to it
};

// The optimised parameters of the table, each with its multiplier from `set`.
ParameterScaling ScalingForSet(const std::vector<int>& optimised, const ParameterSet& set);

// Reads "whichModel.txt" (FailWithBanner when it cannot be opened).
ModelChoice ReadModelChoiceFile(const RunFiles& files);

// Reads `nsub` rows of both source files into the records (basin first).
void ReadSourceRecords(const RunFiles& files, int nsub, std::vector<SubbasinRecord>& subbasins,
                       std::vector<ReachRecord>& reaches);

// Scales the records and writes "basin.txt", "river.txt" and "whichModel.txt".
void WriteModelInputFiles(const RunFiles& files, std::vector<SubbasinRecord>& subbasins,
                          std::vector<ReachRecord>& reaches, const ParameterScaling& scaling,
                          const ModelChoice& choice);

// Reads the parameter table and the model choice, reads the source files into
// settings.subbasins and .reaches, applies the set and writes the model files.
void WriteModelFiles(int& balanceModel, int& routingModel, const ParameterSet& set,
                     CalibrationSettings& settings, const RunFiles& files);

// Checks the model choice, removes any old "streamflow.txt" and calls the
// balance and then the routing entry point with the list files.
void CallModel(const ModelEntryPoints& entries, const ModelChoice& choice, int& modelStatus);

// WriteModelFiles, CallModel and ReadSimulatedFlows; returns the latter's 1.
int RunModelOnce(CalibrationSettings& settings, const ParameterSet& set, DoubleMatrix& simulated,
                 int& balanceModel, int& routingModel, const RunFiles& files,
                 const ModelEntryPoints& entries, int& modelStatus);
