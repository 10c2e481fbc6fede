#pragma once
// The ways one attempt at a model run is made: in this process, or in a
// worker process of its own (--isolate), so that a crash, an abort or an
// exit() inside the model ends that run only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run_dispatch.h"
#include "run_outcome.h"

class AttemptMaker {
 public:
  virtual ~AttemptMaker() = default;
  // Attempt number `attempt` (from 1) at run `index` (0-based), given at
  // most `timeLimit` seconds (0: no limit). An isolated attempt asks
  // `cancelled` now and then, and ends the run when it says so.
  virtual AttemptResult Attempt(size_t index, const RunJob& job, int attempt, double timeLimit,
                                const std::function<bool()>& cancelled = {}) = 0;
};

// Calls `run` here; what it throws is the attempt's failure.
std::unique_ptr<AttemptMaker> InProcessAttempts(RunFunction run, const std::string& worker = "main");

struct IsolationSettings {
  std::string program;                  // this program's executable
  std::vector<std::string> arguments;   // its arguments; "--serve-runs FOLDER" goes in front
  std::string root;                     // the worker root
  std::string name;                     // the worker folders are ROOT/NAME-1, ROOT/NAME-2, ...
  std::vector<std::string> notCopied;   // files of the working directory the workers do without
};

// Sends each attempt to a worker process started in a private copy of the
// working directory. The worker lives as long as its runs succeed; a run that
// fails ends it, its folder is kept as ROOT/failed-run-N and the next attempt
// starts a new worker. A run past its time limit is ended by killing the worker.
std::unique_ptr<AttemptMaker> IsolatedAttempts(const IsolationSettings& settings);
