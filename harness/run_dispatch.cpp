#include "run_dispatch.h"

#include <cstdio>

#include "input_error.h"
#include "number_format.h"
#include "parallel.h"
#include "text.h"

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

int RunReportingFailures(ParallelSession& session, const char* program, const char* jobName,
                         const std::function<int()>& body) {
  try {
    int status = body();
    if (status != 0 && session.IsParallel()) session.Abort();
    return status;
  } catch (const InputError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    if (session.IsParallel()) session.Abort();
  } catch (const RunFailure& failure) {
    // The workers have been stopped: every process ends normally.
    std::fflush(stdout);
    std::fprintf(stderr, "%s: run %d (%s %s) failed in worker directory %s: %s\n", program, failure.run, jobName,
                 failure.job.c_str(), failure.workerDirectory.c_str(),
                 std::string(TrimBlanks(failure.message)).c_str());
  } catch (const std::exception& e) {  // for instance a worker folder that cannot be made
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", program, e.what());
    if (session.IsParallel()) session.Abort();
  }
  return 1;
}
