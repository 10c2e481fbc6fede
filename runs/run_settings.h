#pragma once
// How a study makes its runs: the failure policy, and whether each run
// happens in this process or in an isolated worker process.

#include <memory>
#include <string>
#include <vector>

#include "attempts.h"
#include "run_options.h"
#include "run_outcome.h"

struct RunSettings {
  RunPolicy policy;
  bool isolate = false;
  IsolationSettings isolation;  // when isolated
};

// The settings of the options; `arguments` are the program's own (argv[1..])
// for its worker processes, `notCopied` the files workers do without, `root`
// the worker root as an absolute path.
RunSettings RunSettingsFor(const RunOptions& options, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& notCopied, const std::string& root);

// The worker root of the options (--worker-root, or the working directory's
// path with ".workers" appended) as an absolute path.
std::string WorkerRootOf(const RunOptions& options);

// The attempts of this process: `run` called here, or isolated in worker
// processes named `name`-1, `name`-2, ...
std::unique_ptr<AttemptMaker> MakeAttempts(const RunSettings& settings, RunFunction run, const std::string& name);
