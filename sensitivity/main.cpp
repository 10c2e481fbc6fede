// oat-sensitivity: designs a one-at-a-time sensitivity experiment over the 20
// adjustable parameters, runs the model 400 times and writes per-run and
// per-parameter sensitivity figures.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "directory_lock.h"
#include "failure_report.h"
#include "memory_reuse.h"
#include "model_library.h"
#include "oat_checkpoint.h"
#include "morris_runs.h"
#include "oat_runs.h"
#include "parallel.h"
#include "run_book.h"
#include "run_options.h"
#include "run_settings.h"

static int RunProgram(const RunOptions& options, const std::vector<std::string>& arguments,
                      ParallelSession& session) {
  const std::string root = WorkerRootOf(options);  // before any process enters a folder of its own
  if (!options.serveRuns.empty()) session.BecomePipeWorker(options.serveRuns);
  // Two programs in one working directory would write each other's files.
  std::unique_ptr<DirectoryLock> lock;
  if (!session.IsWorker()) lock = std::make_unique<DirectoryLock>("oat-sensitivity");
  std::vector<std::string> notCopied = {kLockFileName, kRunRecordFile, kFailedRunsFile, kOatCheckpointRowsFile};
  for (const std::string name : {"SensAnalysis.txt", "SArunOutput.txt", kOatCheckpointFile, kMorrisResultFile,
                                 kMorrisRunsFile, "sensitivity.csv", "oat_runs.csv"}) {
    notCopied.push_back(name);
    notCopied.push_back(name + ".tmp");
  }
  session.EnterWorkerDirectory(root, notCopied);
  ModelLibrary library;
  ModelEntryPoints entries;
  if (!BindModelLibrary(library, entries)) return 1;
  const RunSettings settings = RunSettingsFor(options, arguments, notCopied, root);
  if (options.morris) return MorrisRunDriver(entries, options, settings, session);
  return OatRunDriver(entries, options, settings, session);
}

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
  ParallelSession session(argc, argv);
  RunOptions options;
  int status = 0;
  auto noArguments = [](const RunOptions& o) {
    return o.arguments.empty() ? std::string() : "unexpected argument " + o.arguments[0];
  };
  if (AnswerCommandLine(argc, argv, ProgramKind::Oat, !session.IsWorker(), options, status, noArguments))
    return session.End(status);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  status = RunReportingFailures("oat-sensitivity", "OAT row", [&] { return RunProgram(options, arguments, session); });
  return session.End(status);
}
