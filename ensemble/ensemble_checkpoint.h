#pragma once
// The checkpoint of ensemble-runner, "ensemble-runner.checkpoint": after each
// run folded, the bounds and the running average, and after the final run
// its flows. The run-table rows are appended one per run to
// "ensemble-runner.checkpoint.rows", so that saving stays the same amount of
// work however many runs are done.

#include <string>
#include <vector>

#include "calibration_settings.h"
#include "model_choice.h"
#include "ensemble_state.h"
#include "run_files.h"
#include "run_options.h"
#include "study_inputs.h"

extern const char* const kEnsembleCheckpointFile;
extern const char* const kEnsembleCheckpointRowsFile;
extern const char* const kEnsembleCheckpointFitsFile;  // with --metrics-per-run: each run's fit measures

// Every input of the ensemble: the run-control file, the files it names that
// are read, the model's list files and what they list, the model library. The
// model-choice file, which every run rewrites, counts by the choice it holds.
StudyInputs EnsembleStudyInputs(const CalibrationSettings& settings, const RunFiles& files,
                                const std::string& controlPath, const ModelChoice& choice);

struct EnsembleProgress {
  int completedRuns = 0;      // runs 1 to this one are made (or failed and left out)
  std::vector<size_t> failed; // runs (0-based) that failed and were left out
  bool finalRunDone = false;  // the flows of the final run are in results.simulated
};

// With --resume, restores the folded state (and takes the checkpoint's record
// of the inputs into `inputs`); 0 runs without a checkpoint, after a notice.
// Without --resume, removes any old checkpoint. A checkpoint made for other
// inputs is refused with an InputError naming the changed input.
EnsembleProgress RestoreEnsembleProgress(const RunOptions& options, const CalibrationSettings& settings,
                                         StudyInputs& inputs, EnsembleResults& results);

// After run `run` (0-based) is folded or left out: its row of the run table
// written, the state saved.
void SaveEnsembleProgress(const EnsembleProgress& progress, size_t run, const CalibrationSettings& settings,
                          const StudyInputs& inputs, EnsembleResults& results);

// After the final run: its flows saved, so that a resumed study only writes the results.
void SaveFinalRun(const EnsembleProgress& progress, const CalibrationSettings& settings, const StudyInputs& inputs,
                  EnsembleResults& results);

// Removes the checkpoint and its rows after a complete run.
void RemoveEnsembleProgress();
