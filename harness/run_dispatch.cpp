#include "run_dispatch.h"

#include "number_format.h"

RunFailure::RunFailure(int run_, const std::string& job_, const std::string& message_,
                       const std::string& workerDirectory_)
    : std::runtime_error(message_), run(run_), job(job_), message(message_), workerDirectory(workerDirectory_) {}

std::string JobText(const RunJob& job) {
  std::string text;
  for (double v : job) {
    if (!text.empty()) text += ", ";
    AppendGeneral(text, v);
  }
  return text;
}

namespace {

class SerialDispatcher : public RunDispatcher {
 public:
  SerialDispatcher(const std::vector<RunJob>& jobs, RunFunction run) : jobs_(jobs), run_(std::move(run)) {}
  RunResult Result(size_t index) override { return run_(jobs_[index]); }

 private:
  const std::vector<RunJob>& jobs_;
  RunFunction run_;
};

}  // namespace

std::unique_ptr<RunDispatcher> MakeSerialDispatcher(const std::vector<RunJob>& jobs, RunFunction run) {
  return std::make_unique<SerialDispatcher>(jobs, std::move(run));
}
