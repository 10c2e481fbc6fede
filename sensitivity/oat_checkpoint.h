#pragma once
// The checkpoint of oat-sensitivity, "oat-sensitivity.checkpoint": after each
// run, the runs made so far and those that failed; the figures of each run
// are written to its row of "oat-sensitivity.checkpoint.rows", so that saving
// stays the same amount of work however many runs are done.

#include <string>
#include <vector>

#include "model_choice.h"
#include "run_dispatch.h"
#include "run_options.h"
#include "study_inputs.h"

extern const char* const kOatCheckpointFile;
extern const char* const kOatCheckpointRowsFile;

// The most figures a run gives.
constexpr size_t kMostRunFigures = 8;

// Every input of the experiment: its fixed files, the model's list files and
// what they list, the model library and the model choice; `extra` for the
// files of a chosen method.
StudyInputs OatStudyInputs(const ModelChoice& choice, const std::vector<std::string>& extra = {});

// What the runs so far gave: run k's figures (empty for a run not made or failed).
struct FigureProgress {
  int completedRuns = 0;       // runs 1 to this one are made (or failed and left out)
  std::vector<size_t> failed;  // runs (0-based) that failed and were left out
  std::vector<RunResult> figures;
};

// With --resume, restores the figures of `runCount` runs (none without a
// checkpoint, after a notice), taking the checkpoint's record of the inputs
// into `inputs`. Without --resume, removes any old checkpoint. A checkpoint
// of other inputs is refused with an InputError naming the changed input.
FigureProgress RestoreOatProgress(const RunOptions& options, StudyInputs& inputs, size_t runCount);

// After run `run` (0-based) is made or left out: its row written, the state saved.
void SaveOatProgress(const FigureProgress& progress, size_t run, const StudyInputs& inputs);

// Removes the checkpoint and its rows after a complete run.
void RemoveOatProgress();
