#pragma once
// The run-dispatch layer: a driver lists what each run needs (its jobs), and
// asks for the results strictly in run order, folding each as it comes. The
// serial dispatcher makes each run when it is asked for; the parallel one
// (built with MPI) hands runs to worker processes ahead of time.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using RunJob = std::vector<double>;     // what one run needs: its multipliers or its OAT row
using RunResult = std::vector<double>;  // what it gives: its flows or its station figures
using RunFunction = std::function<RunResult(const RunJob&)>;

// A run that failed in a worker: the harness's message and where it happened.
struct RunFailure : std::runtime_error {
  RunFailure(int run, const std::string& job, const std::string& message, const std::string& workerDirectory);
  int run;                      // 1-based
  std::string job;              // the job's values, comma-separated
  std::string message;          // what the harness reported
  std::string workerDirectory;  // kept for inspection
};

// "v1, v2, ..." with six significant digits.
std::string JobText(const RunJob& job);

class RunDispatcher {
 public:
  virtual ~RunDispatcher() = default;
  // The result of job `index` (0-based); indices are asked for in increasing order.
  virtual RunResult Result(size_t index) = 0;
};

class ParallelSession;

// Runs a program's body: an input error or a failed run is reported on
// standard error (a failed run with its number, its job named `jobName` and
// its worker folder) and gives exit status 1; in a parallel run an input
// error ends every process.
int RunReportingFailures(ParallelSession& session, const char* program, const char* jobName,
                         const std::function<int()>& body);

// Makes each run in this process when its result is asked for.
std::unique_ptr<RunDispatcher> MakeSerialDispatcher(const std::vector<RunJob>& jobs, RunFunction run);
