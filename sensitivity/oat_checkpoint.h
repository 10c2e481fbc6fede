#pragma once
// The checkpoint of oat-sensitivity, "oat-sensitivity.checkpoint": after each
// run, the accumulators and the SensAnalysis.txt rows written so far.

#include <string>
#include <vector>

#include "model_choice.h"
#include "oat_figures.h"
#include "run_options.h"
#include "study_inputs.h"

extern const char* const kOatCheckpointFile;

// Every input of the experiment: its fixed files, the model's list files and
// what they list, the model library and the model choice.
StudyInputs OatStudyInputs(const ModelChoice& choice);

// With --resume, restores the accumulators and rows and returns the number of
// runs they hold (0 without a checkpoint, after a notice), taking the
// checkpoint's record of the inputs into `inputs`. Without --resume, removes
// any old checkpoint. A checkpoint of other inputs is refused with an
// InputError naming the changed input.
int RestoreOatProgress(const RunOptions& options, StudyInputs& inputs,
                       std::vector<SensitivityAccumulator>& accumulators, std::string& rows);

void SaveOatProgress(int completedRuns, const StudyInputs& inputs,
                     const std::vector<SensitivityAccumulator>& accumulators, const std::string& rows);
