#pragma once
// The book of a study's runs: every outcome recorded in "runs.csv" as it
// comes, every failed run in "failed_runs.csv", the progress line, and the
// failure policy: a failed run stops the study unless failed runs are
// skipped, and more than half of the runs failed stops it in any case.

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "file_handle.h"
#include "run_dispatch.h"
#include "run_outcome.h"

struct RunBookSettings {
  std::string program;   // "ensemble-runner", for messages
  std::string jobName;   // "parameter set" or "OAT row"
  size_t total = 0;      // runs of the study
  size_t first = 0;      // runs done before this session (resumed)
  bool skipFailed = false;
  bool resume = false;   // append to the records of the session before
  bool progress = false; // --progress: a plain progress line every 30 s
};

struct RunOptions;
// The settings of a session that makes `sessionRuns` of the study's `total`
// runs, the rest done before, with the command line's choices.
RunBookSettings BookSettings(const std::string& program, const std::string& jobName, size_t total,
                             size_t sessionRuns, const RunOptions& options);

extern const char* const kRunRecordFile;     // "runs.csv"
extern const char* const kFailedRunsFile;    // "failed_runs.csv"

class RunBook {
 public:
  // `label(index)` names a run's set or row in the records; `jobText(index)`
  // its values in a failure message; `failedBefore` the runs that failed in
  // the sessions before (resumed).
  RunBook(const RunBookSettings& settings, std::function<std::string(size_t)> label,
          std::function<std::string(size_t)> jobText, std::vector<size_t> failedBefore = {});
  ~RunBook();

  // The outcome of the dispatcher's job `position`, which is run `index`
  // (0-based), recorded. A failed run is a RunFailure unless failed runs are
  // skipped; the failure of more than half of all runs is a stop in any case.
  RunOutcome Take(RunDispatcher& dispatcher, size_t position, size_t index);

  // A run made apart from the dispatcher (the final run), recorded alike.
  void Record(size_t index, const RunOutcome& outcome);

  // After the last run: the count of failed runs on standard error.
  void Finish();

  const std::vector<size_t>& Failed() const { return failed_; }

 private:
  void Progress(bool last);
  [[noreturn]] void Stop(size_t index, const RunOutcome& outcome) const;

  RunBookSettings settings_;
  std::function<std::string(size_t)> label_, jobText_;
  std::vector<size_t> failed_;
  File runs_, failures_;
  std::vector<double> seconds_;
  size_t done_ = 0;
  std::chrono::steady_clock::time_point start_, lastProgress_;
  bool terminal_ = false, progressShown_ = false;
};
