#pragma once
// The checkpoint of oat-sensitivity, "oat-sensitivity.checkpoint": after each
// run, the accumulators and the SensAnalysis.txt rows written so far.

#include <cstdint>
#include <string>
#include <vector>

#include "oat_figures.h"
#include "run_options.h"

extern const char* const kOatCheckpointFile;

// A fingerprint of every input of the experiment.
uint64_t OatFingerprint();

// With --resume, restores the accumulators and rows and returns the number of
// runs they hold (0 without a checkpoint, after a notice). Without --resume,
// removes any old checkpoint. A checkpoint of other inputs is refused with an InputError.
int RestoreOatProgress(const RunOptions& options, uint64_t fingerprint,
                       std::vector<SensitivityAccumulator>& accumulators, std::string& rows);

void SaveOatProgress(int completedRuns, uint64_t fingerprint,
                     const std::vector<SensitivityAccumulator>& accumulators, const std::string& rows);
