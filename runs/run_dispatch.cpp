#include "run_dispatch.h"

#include <utility>

#include "run_failure.h"

namespace {

class SerialDispatcher : public RunDispatcher {
 public:
  SerialDispatcher(const std::vector<RunJob>& jobs, RunFunction run) : jobs_(jobs), run_(std::move(run)) {}
  RunResult Result(size_t index) override {
    return RunNamed(static_cast<int>(index) + 1, jobs_[index], [&] { return run_(jobs_[index]); });
  }

 private:
  const std::vector<RunJob>& jobs_;
  RunFunction run_;
};

}  // namespace

std::unique_ptr<RunDispatcher> MakeSerialDispatcher(const std::vector<RunJob>& jobs, RunFunction run) {
  return std::make_unique<SerialDispatcher>(jobs, std::move(run));
}
