#include "oat_checkpoint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "checked_files.h"
#include "checkpoint.h"
#include "text.h"
#include "input_error.h"
#include "model_library.h"
#include "run_files.h"

const char* const kOatCheckpointFile = "oat-sensitivity.checkpoint";
const char* const kOatCheckpointRowsFile = "oat-sensitivity.checkpoint.rows";

// A row: the count of figures, then kMostRunFigures places for them.
static const size_t kRowDoubles = kMostRunFigures + 1;

StudyInputs OatStudyInputs(const ModelChoice& choice, const std::vector<std::string>& extra) {
  RunFiles f;
  StudyInputs inputs;
  for (const char* path : {"balparam.txt", "range.txt", "basin_original.txt", "river_original.txt",
                           "moscem_param.txt", "balfiles.txt", "routfiles.txt"})
    inputs.AddFile(path);
  for (const std::string& path : extra) inputs.AddFile(path);
  inputs.AddFile(kModelLibraryFile);
  inputs.AddSetting("the model choice of " + f.modelChoiceFile, ModelChoiceLines(choice));
  const std::vector<std::string> written = {f.basinFile, f.riverFile, f.modelChoiceFile, kStreamflowFile,
                                            f.parameterTableFile, "OAT.txt"};
  inputs.AddListedFiles("balfiles.txt", written);
  inputs.AddListedFiles("routfiles.txt", written);
  return inputs;
}

FigureProgress RestoreOatProgress(const RunOptions& options, StudyInputs& inputs, size_t runCount) {
  FigureProgress progress;
  progress.figures.resize(runCount);
  Checkpoint c;
  c.program = "oat-sensitivity";
  if (!LoadCheckpointToResume(options, kOatCheckpointFile, inputs, c)) {
    std::remove(kOatCheckpointRowsFile);
    return progress;
  }
  int64_t failed = 0;
  std::string rows;
  bool ok = c.completedRuns >= 0 && static_cast<size_t>(c.completedRuns) <= runCount && c.data.GetInt(failed) &&
            failed >= 0 && failed <= c.completedRuns && ReadFileText(kOatCheckpointRowsFile, rows) &&
            rows.size() >= static_cast<size_t>(c.completedRuns) * kRowDoubles * sizeof(double);
  for (int64_t i = 0, run = 0; ok && i < failed; ++i) {
    ok = c.data.GetInt(run) && run >= 0 && run < c.completedRuns;
    progress.failed.push_back(static_cast<size_t>(run));
  }
  for (int k = 0; ok && k < c.completedRuns; ++k) {
    double row[kRowDoubles];
    std::memcpy(row, rows.data() + static_cast<size_t>(k) * sizeof row, sizeof row);
    ok = row[0] >= 0 && row[0] <= static_cast<double>(kMostRunFigures);
    if (ok) progress.figures[static_cast<size_t>(k)].assign(row + 1, row + 1 + static_cast<size_t>(row[0]));
  }
  if (!ok) throw InputError(kOatCheckpointFile, 0, "is incomplete; remove it to start anew");
  progress.completedRuns = c.completedRuns;
  inputs.Assign(c.inputs);
  return progress;
}

void SaveOatProgress(const FigureProgress& progress, size_t run, const StudyInputs& inputs) {
  {
    // The row of this run first: a checkpoint never counts a row that is not there.
    double row[kRowDoubles] = {};
    const RunResult& figures = progress.figures[run];
    row[0] = static_cast<double>(std::min(figures.size(), kMostRunFigures));
    std::copy(figures.begin(), figures.begin() + static_cast<std::ptrdiff_t>(row[0]), row + 1);
    WriteCheckpointRow(kOatCheckpointRowsFile, run, row, kRowDoubles);
  }
  Checkpoint c;
  c.program = "oat-sensitivity";
  c.inputs = inputs.entries();
  c.completedRuns = progress.completedRuns;
  c.data.PutInt(static_cast<int64_t>(progress.failed.size()));
  for (size_t failed : progress.failed) c.data.PutInt(static_cast<int64_t>(failed));
  WriteCheckpoint(kOatCheckpointFile, c);
}

void RemoveOatProgress() {
  std::remove(kOatCheckpointFile);
  std::remove(kOatCheckpointRowsFile);
}
