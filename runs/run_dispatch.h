#pragma once
// The run-dispatch layer: a driver lists what each run needs (its jobs), and
// asks for the outcomes strictly in run order, folding each as it comes. The
// serial dispatcher makes each run when it is asked for; the parallel one
// (built with MPI) hands runs to worker processes ahead of time. Either makes
// as many attempts at a run as the failure policy allows.

#include <functional>
#include <memory>
#include <vector>

using RunJob = std::vector<double>;     // what one run needs: its multipliers or its OAT row
using RunResult = std::vector<double>;  // what it gives: its flows or its station figures
using RunFunction = std::function<RunResult(const RunJob&)>;

struct RunOutcome;

class RunDispatcher {
 public:
  virtual ~RunDispatcher() = default;
  // The outcome of job `index` (0-based) after its attempts; indices are
  // asked for in increasing order.
  virtual RunOutcome Outcome(size_t index) = 0;
};
