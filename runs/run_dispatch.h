#pragma once
// The run-dispatch layer: a driver lists what each run needs (its jobs), and
// asks for the results strictly in run order, folding each as it comes. The
// serial dispatcher makes each run when it is asked for; the parallel one
// (built with MPI) hands runs to worker processes ahead of time.

#include <functional>
#include <memory>
#include <vector>

using RunJob = std::vector<double>;     // what one run needs: its multipliers or its OAT row
using RunResult = std::vector<double>;  // what it gives: its flows or its station figures
using RunFunction = std::function<RunResult(const RunJob&)>;

class RunDispatcher {
 public:
  virtual ~RunDispatcher() = default;
  // The result of job `index` (0-based); indices are asked for in increasing order.
  virtual RunResult Result(size_t index) = 0;
};

// Makes each run in this process when its result is asked for.
std::unique_ptr<RunDispatcher> MakeSerialDispatcher(const std::vector<RunJob>& jobs, RunFunction run);
