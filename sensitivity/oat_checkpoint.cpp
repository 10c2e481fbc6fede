#include "oat_checkpoint.h"

#include <cstdio>

#include "checkpoint.h"
#include "input_error.h"
#include "oat_design.h"

const char* const kOatCheckpointFile = "oat-sensitivity.checkpoint";

uint64_t OatFingerprint() {
  return FingerprintFiles({"balparam.txt", "range.txt", "basin_original.txt", "river_original.txt",
                           "moscem_param.txt"});
}

int RestoreOatProgress(const RunOptions& options, uint64_t fingerprint,
                       std::vector<SensitivityAccumulator>& accumulators, std::string& rows) {
  Checkpoint c;
  c.program = "oat-sensitivity";
  if (!LoadCheckpointToResume(options, kOatCheckpointFile, fingerprint, c)) return 0;
  bool ok = c.completedRuns >= 0 && c.completedRuns <= kOatRunCount;
  for (SensitivityAccumulator& a : accumulators) {
    int64_t which = 0;
    ok = ok && c.data.GetInt(which) && c.data.GetDouble(a.prevMax) && c.data.GetDouble(a.prevMean) &&
         c.data.GetDouble(a.prevStddev) && c.data.GetDouble(a.sumMaxChange) &&
         c.data.GetDouble(a.sumMeanChange) && c.data.GetDouble(a.sumStddevChange);
    a.whichParam = static_cast<int>(which);
  }
  if (!ok || !c.data.GetText(rows)) throw InputError(kOatCheckpointFile, 0, "is incomplete; remove it to start anew");
  return c.completedRuns;
}

void SaveOatProgress(int completedRuns, uint64_t fingerprint,
                     const std::vector<SensitivityAccumulator>& accumulators, const std::string& rows) {
  Checkpoint c;
  c.program = "oat-sensitivity";
  c.fingerprint = fingerprint;
  c.completedRuns = completedRuns;
  for (const SensitivityAccumulator& a : accumulators) {
    c.data.PutInt(a.whichParam);
    for (double v : {a.prevMax, a.prevMean, a.prevStddev, a.sumMaxChange, a.sumMeanChange, a.sumStddevChange})
      c.data.PutDouble(v);
  }
  c.data.PutText(rows);
  WriteCheckpoint(kOatCheckpointFile, c);
}
