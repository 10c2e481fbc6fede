#include "serial_dispatch.h"

namespace {

class SerialDispatcher : public RunDispatcher {
 public:
  SerialDispatcher(const std::vector<RunJob>& jobs, std::unique_ptr<AttemptMaker> attempts, const RunPolicy& policy)
      : jobs_(jobs), attempts_(std::move(attempts)), policy_(policy), limit_(policy) {}

  RunOutcome Outcome(size_t index) override {
    return AttemptRun(*attempts_, index, jobs_[index], policy_.retries, limit_);
  }

 private:
  const std::vector<RunJob>& jobs_;
  std::unique_ptr<AttemptMaker> attempts_;
  RunPolicy policy_;
  TimeLimit limit_;
};

}  // namespace

RunOutcome AttemptRun(AttemptMaker& attempts, size_t index, const RunJob& job, int retries, TimeLimit& limit) {
  RunOutcome outcome;
  outcome.startedUtc = UtcNow();
  for (int attempt = 1; attempt <= 1 + retries; ++attempt) {
    outcome.last = attempts.Attempt(index, job, attempt, limit.Seconds());
    outcome.attempts = attempt;
    outcome.seconds += outcome.last.seconds;
    if (outcome.last.ok) {
      limit.Record(outcome.last.seconds);
      break;
    }
  }
  return outcome;
}

std::unique_ptr<RunDispatcher> MakeSerialDispatcher(const std::vector<RunJob>& jobs,
                                                    std::unique_ptr<AttemptMaker> attempts, const RunPolicy& policy) {
  return std::make_unique<SerialDispatcher>(jobs, std::move(attempts), policy);
}
