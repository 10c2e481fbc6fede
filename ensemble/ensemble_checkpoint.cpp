#include "ensemble_checkpoint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "checked_files.h"
#include "checkpoint.h"
#include "input_error.h"
#include "model_library.h"
#include "text.h"

const char* const kEnsembleCheckpointFile = "ensemble-runner.checkpoint";
const char* const kEnsembleCheckpointRowsFile = "ensemble-runner.checkpoint.rows";
const char* const kEnsembleCheckpointFitsFile = "ensemble-runner.checkpoint.fits";

StudyInputs EnsembleStudyInputs(const CalibrationSettings& s, const RunFiles& f, const std::string& controlPath,
                                const ModelChoice& choice) {
  StudyInputs inputs;
  for (const std::string* path : {&controlPath, &f.observedFlowFile, &f.parameterSetFile, &f.objectiveFile,
                                  &f.subbasinCountFile, &f.calibrationSettingsFile, &f.parameterTableFile,
                                  &f.basinOriginalFile, &f.riverOriginalFile})
    inputs.AddFile(*path);
  inputs.AddSetting("the model choice of " + f.modelChoiceFile, ModelChoiceLines(choice));
  inputs.AddFile(kModelLibraryFile);
  const std::vector<std::string> written = {f.basinFile, f.riverFile, f.modelChoiceFile, kStreamflowFile};
  inputs.AddListedFiles("balfiles.txt", written);
  inputs.AddListedFiles("routfiles.txt", written);
  inputs.AddFile("balfiles.txt");
  inputs.AddFile("routfiles.txt");
  inputs.AddSetting("the number of runs", std::to_string(s.nruns));
  return inputs;
}

// Row `row` of `table` into the file of rows at its place.
static void WriteRow(const char* path, const DoubleMatrix& table, size_t row) {
  WriteCheckpointRow(path, row, table[static_cast<std::ptrdiff_t>(row)], static_cast<size_t>(table.columns()));
}

// The first `count` rows of `table` from the file of rows, which is cut after
// them (a row written after the last checkpoint is made again); false when
// the file holds fewer.
static bool RestoreRows(const char* path, DoubleMatrix& table, int count) {
  const size_t bytes = static_cast<size_t>(table.columns()) * sizeof(double) * static_cast<size_t>(std::max(count, 0));
  std::string rows;
  if (!ReadFileText(path, rows) || rows.size() < bytes) return false;
  if (bytes > 0) std::memcpy(table[0], rows.data(), bytes);
  std::filesystem::resize_file(path, bytes);
  return true;
}

static size_t SeriesSize(const CalibrationSettings& s) {
  return static_cast<size_t>(s.nsteps) * static_cast<size_t>(s.nflux);
}

// The state after a run. One checkpoint serves every run: its storage (the
// bounds and average, megabytes) is kept, not taken anew each time.
static Checkpoint& EnsembleCheckpoint(const EnsembleProgress& p, const CalibrationSettings& s,
                                      const StudyInputs& inputs, EnsembleResults& r) {
  static Checkpoint c;
  c.data.bytes().clear();
  c.data.bytes().reserve(3 * SeriesSize(s) * sizeof(double) + (p.failed.size() + 4) * sizeof(int64_t) +
                         SeriesSize(s) * sizeof(double));
  c.program = "ensemble-runner";
  c.inputs = inputs.entries();
  c.completedRuns = p.completedRuns;
  c.data.PutDoubles(r.lowerBound[0], SeriesSize(s));
  c.data.PutDoubles(r.upperBound[0], SeriesSize(s));
  c.data.PutDoubles(r.average[0], SeriesSize(s));
  c.data.PutInt(static_cast<int64_t>(p.failed.size()));
  for (size_t run : p.failed) c.data.PutInt(static_cast<int64_t>(run));
  return c;
}

EnsembleProgress RestoreEnsembleProgress(const RunOptions& options, const CalibrationSettings& s,
                                         StudyInputs& inputs, EnsembleResults& r) {
  Checkpoint c;
  c.program = "ensemble-runner";
  EnsembleProgress progress;
  if (!LoadCheckpointToResume(options, kEnsembleCheckpointFile, inputs, c)) {
    std::remove(kEnsembleCheckpointRowsFile);
    std::remove(kEnsembleCheckpointFitsFile);
    return progress;
  }
  int64_t finalRun = 0, failed = 0;
  bool ok = c.completedRuns >= 0 && c.completedRuns <= s.nruns &&
            c.data.GetDoubles(r.lowerBound[0], SeriesSize(s)) && c.data.GetDoubles(r.upperBound[0], SeriesSize(s)) &&
            c.data.GetDoubles(r.average[0], SeriesSize(s)) &&
            RestoreRows(kEnsembleCheckpointRowsFile, r.runTable, c.completedRuns) && c.data.GetInt(failed) &&
            failed >= 0 && failed <= c.completedRuns;
  for (int64_t i = 0, run = 0; ok && i < failed; ++i) {
    ok = c.data.GetInt(run) && run >= 0 && run < c.completedRuns;
    progress.failed.push_back(static_cast<size_t>(run));
  }
  if (ok && c.data.GetInt(finalRun) && finalRun == 1) {
    ok = c.completedRuns == s.nruns && c.data.GetDoubles(r.simulated[0], SeriesSize(s));
    progress.finalRunDone = ok;
  }
  if (!ok) throw InputError(kEnsembleCheckpointFile, 0, "is incomplete; remove it to start anew");
  if (r.runFits.rows() > 0 && !RestoreRows(kEnsembleCheckpointFitsFile, r.runFits, c.completedRuns))
    throw InputError(kEnsembleCheckpointFitsFile, 0, "is incomplete; remove the checkpoint to start anew");
  inputs.Assign(c.inputs);
  progress.completedRuns = c.completedRuns;
  return progress;
}

void SaveEnsembleProgress(const EnsembleProgress& p, size_t run, const CalibrationSettings& s,
                          const StudyInputs& inputs, EnsembleResults& r) {
  Checkpoint& c = EnsembleCheckpoint(p, s, inputs, r);
  // The rows of this run first: a checkpoint never counts a row that is not there.
  WriteRow(kEnsembleCheckpointRowsFile, r.runTable, run);
  if (r.runFits.rows() > 0) WriteRow(kEnsembleCheckpointFitsFile, r.runFits, run);
  WriteCheckpoint(kEnsembleCheckpointFile, c);
}

void SaveFinalRun(const EnsembleProgress& p, const CalibrationSettings& s, const StudyInputs& inputs,
                  EnsembleResults& r) {
  Checkpoint& c = EnsembleCheckpoint(p, s, inputs, r);
  c.data.PutInt(1);
  c.data.PutDoubles(r.simulated[0], SeriesSize(s));
  WriteCheckpoint(kEnsembleCheckpointFile, c);
}

void RemoveEnsembleProgress() {
  std::remove(kEnsembleCheckpointFile);
  std::remove(kEnsembleCheckpointRowsFile);
  std::remove(kEnsembleCheckpointFitsFile);
}
