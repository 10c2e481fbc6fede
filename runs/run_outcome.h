#pragma once
// What became of a model run: its result, or why it failed, after every attempt.

#include <exception>
#include <string>
#include <vector>

#include "run_dispatch.h"

// One attempt at a run.
struct AttemptResult {
  bool ok = false;
  RunResult values;
  std::string reason;        // why it failed, one line
  std::string modelOutput;   // what the model printed meanwhile, when it was not shown
  std::exception_ptr cause;  // the error itself, when it was raised in this process
  double seconds = 0;
  std::string worker;        // who made it: "main", "process-2", "worker-3"
  std::string folder;        // where a failed attempt's files are kept, "" when nowhere
};

// A run after all its attempts.
struct RunOutcome {
  AttemptResult last;  // the attempt that succeeded, or the last that failed
  int attempts = 0;
  double seconds = 0;  // all attempts together
  std::string startedUtc;
  bool ok() const { return last.ok; }
};

// How failed runs are treated: --retries, --on-failure, --run-timeout.
struct RunPolicy {
  int retries = 0;           // attempts after the first
  bool skipFailed = false;   // --on-failure skip
  double timeLimit = 0;      // seconds a run may take; 0 for no limit
  bool autoTimeLimit = false;
};

// The time limit of the next attempt: the fixed one, or with `auto` ten
// times the median of the first ten successful runs, at least 10 s (none
// before ten runs succeeded).
class TimeLimit {
 public:
  explicit TimeLimit(const RunPolicy& policy) : policy_(policy) {}
  void Record(double seconds);
  double Seconds() const;

 private:
  RunPolicy policy_;
  std::vector<double> first_;
};

// The middle of the run times (the upper one of the two for an even count);
// linear in their number. `times` must not be empty.
double MedianTime(std::vector<double> times);

// The current time as "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcNow();
