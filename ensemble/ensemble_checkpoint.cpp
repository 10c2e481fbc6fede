#include "ensemble_checkpoint.h"

#include <cstdio>
#include <string>

#include "checkpoint.h"
#include "input_error.h"

const char* const kEnsembleCheckpointFile = "ensemble-runner.checkpoint";

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
  if (!LoadCheckpointToResume(options, kEnsembleCheckpointFile, fingerprint, c)) return 0;
  const size_t width = static_cast<size_t>(r.runTable.columns());
  bool ok = c.completedRuns >= 0 && c.completedRuns <= s.nruns &&
            c.data.GetDoubles(r.lowerBound[0], SeriesSize(s)) &&
            c.data.GetDoubles(r.upperBound[0], SeriesSize(s)) &&
            c.data.GetDoubles(r.average[0], SeriesSize(s)) &&
            c.data.GetDoubles(r.runTable[0], width * static_cast<size_t>(c.completedRuns));
  if (!ok) throw InputError(kEnsembleCheckpointFile, 0, "is incomplete; remove it to start anew");
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
  c.data.PutDoubles(r.runTable[0], static_cast<size_t>(r.runTable.columns()) * static_cast<size_t>(completedRuns));
  WriteCheckpoint(kEnsembleCheckpointFile, c);
}
