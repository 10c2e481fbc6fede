#include "oat_checkpoint.h"

#include <cstdio>

#include "checkpoint.h"
#include "input_error.h"
#include "model_library.h"
#include "oat_design.h"
#include "run_files.h"

const char* const kOatCheckpointFile = "oat-sensitivity.checkpoint";

StudyInputs OatStudyInputs(const ModelChoice& choice) {
  RunFiles f;
  StudyInputs inputs;
  for (const char* path : {"balparam.txt", "range.txt", "basin_original.txt", "river_original.txt",
                           "moscem_param.txt", "balfiles.txt", "routfiles.txt"})
    inputs.AddFile(path);
  inputs.AddFile(kModelLibraryFile);
  inputs.AddSetting("the model choice of " + f.modelChoiceFile, ModelChoiceLines(choice));
  const std::vector<std::string> written = {f.basinFile, f.riverFile, f.modelChoiceFile, kStreamflowFile,
                                            f.parameterTableFile, "OAT.txt"};
  inputs.AddListedFiles("balfiles.txt", written);
  inputs.AddListedFiles("routfiles.txt", written);
  return inputs;
}

int RestoreOatProgress(const RunOptions& options, StudyInputs& inputs,
                       std::vector<SensitivityAccumulator>& accumulators, std::string& rows) {
  Checkpoint c;
  c.program = "oat-sensitivity";
  if (!LoadCheckpointToResume(options, kOatCheckpointFile, inputs, c)) return 0;
  bool ok = c.completedRuns >= 0 && c.completedRuns <= kOatRunCount;
  for (SensitivityAccumulator& a : accumulators) {
    int64_t which = 0;
    ok = ok && c.data.GetInt(which) && c.data.GetDouble(a.prevMax) && c.data.GetDouble(a.prevMean) &&
         c.data.GetDouble(a.prevStddev) && c.data.GetDouble(a.sumMaxChange) &&
         c.data.GetDouble(a.sumMeanChange) && c.data.GetDouble(a.sumStddevChange);
    a.whichParam = static_cast<int>(which);
  }
  if (!ok || !c.data.GetText(rows)) throw InputError(kOatCheckpointFile, 0, "is incomplete; remove it to start anew");
  inputs.Assign(c.inputs);
  return c.completedRuns;
}

void SaveOatProgress(int completedRuns, const StudyInputs& inputs,
                     const std::vector<SensitivityAccumulator>& accumulators, const std::string& rows) {
  Checkpoint c;
  c.program = "oat-sensitivity";
  c.inputs = inputs.entries();
  c.completedRuns = completedRuns;
  for (const SensitivityAccumulator& a : accumulators) {
    c.data.PutInt(a.whichParam);
    for (double v : {a.prevMax, a.prevMean, a.prevStddev, a.sumMaxChange, a.sumMeanChange, a.sumStddevChange})
      c.data.PutDouble(v);
  }
  c.data.PutText(rows);
  WriteCheckpoint(kOatCheckpointFile, c);
}
