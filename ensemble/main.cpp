// ensemble-runner: runs the model once per calibrated parameter set, keeps the
// bounds and average of the simulated flows, re-runs the set of middle rank
// and writes the series, bounds and statistics files.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "calibration_settings.h"
#include "checked_files.h"
#include "directory_lock.h"
#include "ensemble_checkpoint.h"
#include "ensemble_driver.h"
#include "failure_report.h"
#include "flow_store.h"
#include "memory_reuse.h"
#include "model_library.h"
#include "objectives.h"
#include "parallel.h"
#include "run_control.h"
#include "run_book.h"
#include "run_options.h"
#include "run_settings.h"
#include "stop.h"
#include "tidy_results.h"

static int RunProgram(const RunOptions& options, const std::vector<std::string>& arguments,
                      ParallelSession& session) {
  const std::string root = WorkerRootOf(options);  // before any process enters a folder of its own
  if (!options.serveRuns.empty()) session.BecomePipeWorker(options.serveRuns);
  // Two programs in one working directory would write each other's files.
  std::unique_ptr<DirectoryLock> lock;
  if (!session.IsWorker()) lock = std::make_unique<DirectoryLock>("ensemble-runner");
  const std::string controlPath = options.arguments[0];
  RunControl control = ParseRunControl(ReadFileOrDie(controlPath), controlPath);
  const RunFiles& f = control.files;
  std::vector<std::string> notCopied = {kLockFileName,  kEnsembleCheckpointFile, kEnsembleCheckpointRowsFile,
                                        kEnsembleCheckpointFitsFile, kRunRecordFile, kFailedRunsFile, kFlowStoreFile};
  for (const std::string& name : {f.seriesOutputFile, f.statisticsOutputFile, f.boundsOutputFile,
                                  std::string(kEnsembleCheckpointFile), std::string(kMetricsFile),
                                  std::string(kRunMetricsFile), std::string(kBandFile)}) {
    notCopied.push_back(name);
    notCopied.push_back(name + ".tmp");
  }
  session.EnterWorkerDirectory(root, notCopied);
  ModelLibrary library;
  ModelEntryPoints entries;
  if (!BindModelLibrary(library, entries)) return 1;
  CalibrationSettings settings;
  settings.nruns = control.nruns;
  ReadCalibrationSettings(settings, control.files);
  if (!ObjectiveOfKind(settings.objectiveKind)) FatalError("OBJECTIVE FUNCTION NOT DEFINED");
  return RunEnsemble(settings, control.files, controlPath, entries, options,
                     RunSettingsFor(options, arguments, notCopied, root), session);
}

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
  ParallelSession session(argc, argv);
  RunOptions options;
  int status = 0;
  auto oneControlFile = [](const RunOptions& o) {
    return o.arguments.size() == 1 ? std::string()
           : o.arguments.empty()   ? std::string("no run-control file named")
                                   : std::string("more than one run-control file named");
  };
  if (AnswerCommandLine(argc, argv, ProgramKind::Ensemble, !session.IsWorker(), options, status, oneControlFile))
    return session.End(status);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  status = RunReportingFailures("ensemble-runner", "parameter set",
                                [&] { return RunProgram(options, arguments, session); });
  return session.End(status);
}
