// oat-sensitivity: designs a one-at-a-time sensitivity experiment over the 20
// adjustable parameters, runs the model 400 times and writes per-run and
// per-parameter sensitivity figures.

#include <cstdio>
#include <string>

#include "input_error.h"
#include "model_library.h"
#include "oat_checkpoint.h"
#include "oat_runs.h"
#include "parallel.h"
#include "run_options.h"
#include "text.h"

// Other arguments than the options are ignored.
int main(int argc, char** argv) {
  ParallelSession session(argc, argv);
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(argc, argv, options, error)) {
    if (!session.IsWorker()) std::fputs("usage: oat-sensitivity [--resume] [--worker-root DIR]\n", stderr);
    if (session.IsParallel()) session.Abort();
    return 1;
  }
  try {
    session.EnterWorkerDirectory(options.workerRoot.empty() ? DefaultWorkerRoot() : options.workerRoot,
                                 {"SensAnalysis.txt", "SArunOutput.txt", kOatCheckpointFile,
                                  std::string(kOatCheckpointFile) + ".tmp"});
    ModelLibrary library;
    ModelEntryPoints entries;
    if (!BindModelLibrary(library, entries)) {
      if (session.IsParallel()) session.Abort();
      return 1;
    }
    OatRunDriver(entries, options, session);
    session.Finish();
    return 0;
  } catch (const InputError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const RunFailure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "oat-sensitivity: run %d (OAT row %s) failed in worker directory %s: %s\n",
                 failure.run, failure.job.c_str(), failure.workerDirectory.c_str(),
                 std::string(TrimBlanks(failure.message)).c_str());
  }
  if (session.IsParallel()) session.Abort();
  return 1;
}
