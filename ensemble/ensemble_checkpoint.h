#pragma once
// The checkpoint of ensemble-runner, "ensemble-runner.checkpoint": after each
// run folded, the bounds and the running average. The run-table rows are
// appended one per run to "ensemble-runner.checkpoint.rows", so that saving
// stays the same amount of work however many runs are done.

#include <cstdint>

#include "calibration_settings.h"
#include "ensemble_state.h"
#include "run_files.h"
#include "run_options.h"

extern const char* const kEnsembleCheckpointFile;
extern const char* const kEnsembleCheckpointRowsFile;

// A fingerprint of every input of the ensemble.
uint64_t EnsembleFingerprint(const CalibrationSettings& settings, const RunFiles& files);

// With --resume, restores the folded state and returns the number of runs it
// holds (0 without a checkpoint, after a notice). Without --resume, removes
// any old checkpoint and returns 0. A checkpoint made for other inputs is
// refused with an InputError.
int RestoreEnsembleProgress(const RunOptions& options, const CalibrationSettings& settings,
                            uint64_t fingerprint, EnsembleResults& results);

void SaveEnsembleProgress(int completedRuns, const CalibrationSettings& settings, uint64_t fingerprint,
                          EnsembleResults& results);

// Removes the checkpoint and its rows after a complete run.
void RemoveEnsembleProgress();
