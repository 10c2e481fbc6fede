#include "ensemble_checkpoint.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "checkpoint.h"
#include "checked_files.h"
#include "input_error.h"
#include "text.h"

const char* const kEnsembleCheckpointFile = "ensemble-runner.checkpoint";
const char* const kEnsembleCheckpointRowsFile = "ensemble-runner.checkpoint.rows";

uint64_t EnsembleFingerprint(const CalibrationSettings& s, const RunFiles& f) {
  uint64_t hash = FingerprintFiles({f.observedFlowFile, f.parameterSetFile, f.objectiveFile,
                                    f.subbasinCountFile, f.calibrationSettingsFile, f.parameterTableFile,
                                    f.basinOriginalFile, f.riverOriginalFile});
  return FingerprintText(hash, std::to_string(s.nruns));
}

static size_t SeriesSize(const CalibrationSettings& s) {
  return static_cast<size_t>(s.nsteps) * static_cast<size_t>(s.nflux);
}

int RestoreEnsembleProgress(const RunOptions& options, const CalibrationSettings& s, uint64_t fingerprint,
                            EnsembleResults& r) {
  Checkpoint c;
  c.program = "ensemble-runner";
  if (!LoadCheckpointToResume(options, kEnsembleCheckpointFile, fingerprint, c)) {
    std::remove(kEnsembleCheckpointRowsFile);
    return 0;
  }
  const size_t rowBytes = static_cast<size_t>(r.runTable.columns()) * sizeof(double);
  const size_t rowsBytes = rowBytes * static_cast<size_t>(c.completedRuns > 0 ? c.completedRuns : 0);
  std::string rows;
  bool ok = c.completedRuns >= 0 && c.completedRuns <= s.nruns &&
            c.data.GetDoubles(r.lowerBound[0], SeriesSize(s)) &&
            c.data.GetDoubles(r.upperBound[0], SeriesSize(s)) &&
            c.data.GetDoubles(r.average[0], SeriesSize(s)) &&
            ReadFileText(kEnsembleCheckpointRowsFile, rows) && rows.size() >= rowsBytes;
  if (!ok) throw InputError(kEnsembleCheckpointFile, 0, "is incomplete; remove it to start anew");
  if (rowsBytes > 0) std::memcpy(r.runTable[0], rows.data(), rowsBytes);
  // A row appended after the last checkpoint was written is made again.
  std::filesystem::resize_file(kEnsembleCheckpointRowsFile, rowsBytes);
  return c.completedRuns;
}

void SaveEnsembleProgress(int completedRuns, const CalibrationSettings& s, uint64_t fingerprint,
                          EnsembleResults& r) {
  Checkpoint c;
  c.program = "ensemble-runner";
  c.fingerprint = fingerprint;
  c.completedRuns = completedRuns;
  c.data.PutDoubles(r.lowerBound[0], SeriesSize(s));
  c.data.PutDoubles(r.upperBound[0], SeriesSize(s));
  c.data.PutDoubles(r.average[0], SeriesSize(s));
  {
    // The row of this run first: a checkpoint never counts a row that is not there.
    File rows = OpenFileOrDie(kEnsembleCheckpointRowsFile, completedRuns == 1 ? "wb" : "ab");
    const size_t width = static_cast<size_t>(r.runTable.columns());
    std::fwrite(r.runTable[completedRuns - 1], sizeof(double), width, rows.get());
    CloseFileOrDie(std::move(rows), kEnsembleCheckpointRowsFile);
  }
  WriteCheckpoint(kEnsembleCheckpointFile, c);
}

void RemoveEnsembleProgress() {
  std::remove(kEnsembleCheckpointFile);
  std::remove(kEnsembleCheckpointRowsFile);
}
