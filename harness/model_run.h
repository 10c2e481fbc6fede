#pragma once
// One complete model run: the model input files written from the untouched
// source files with the run's multipliers applied, the two model stages
// called, and the simulated flows read back.

#include <utility>
#include <vector>

#include "arrays.h"
#include "calibration_settings.h"
#include "model_choice.h"
#include "model_inputs.h"
#include "model_library.h"
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

// Scales the records and writes "basin.txt", "river.txt" and "whichModel.txt".
void WriteModelInputFiles(const RunFiles& files, SourceRecords& records, const ParameterScaling& scaling,
                          const ModelChoice& choice);

// Reads the parameter table and the model choice, reads the source files into
// settings.subbasins and .reaches, applies the set and writes the model files.
// Returns the model choice the run uses.
ModelChoice WriteModelFiles(const ParameterSet& set, CalibrationSettings& settings, const RunFiles& files);

// Checks the model choice, removes any old "streamflow.txt" and calls the
// balance and then the routing entry point with the list files. A stage that
// sets a status other than 0 fails the run (std::runtime_error naming the
// entry point and the status).
void CallModel(const ModelEntryPoints& entries, const ModelChoice& choice);

// WriteModelFiles, CallModel and ReadSimulatedFlows.
void RunModelOnce(CalibrationSettings& settings, const ParameterSet& set, DoubleMatrix& simulated,
                  const RunFiles& files, const ModelEntryPoints& entries);
