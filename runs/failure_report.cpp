#include "failure_report.h"

#include <cstdio>
#include <string>

#include "run_failure.h"
#include "stop.h"
#include "text.h"

namespace {

// A stop raised in the failed run prints its specified text first.
void ReportCause(const RunFailure& failure) {
  if (!failure.cause) return;
  try {
    std::rethrow_exception(failure.cause);
  } catch (const Stop& stop) {
    ReportStop(stop);
  } catch (...) {
  }
}

void ReportRunFailure(const char* program, const char* jobName, const RunFailure& failure) {
  std::fflush(stdout);
  ReportCause(failure);
  std::string run = failure.run > 0 ? "run " + std::to_string(failure.run) : std::string("the final run");
  std::string where = failure.workerDirectory.empty() ? "" : " in worker directory " + failure.workerDirectory;
  std::fprintf(stderr, "%s: %s (%s %s) failed%s: %s\n", program, run.c_str(), jobName, failure.job.c_str(),
               where.c_str(), failure.message.c_str());
  if (!failure.modelOutput.empty()) {
    std::fputs(failure.modelOutput.c_str(), stderr);
    if (failure.modelOutput.back() != '\n') std::fputc('\n', stderr);
  }
  std::fflush(stderr);
}

}  // namespace

int RunReportingFailures(const char* program, const char* jobName, const std::function<int()>& body) {
  try {
    return body();
  } catch (const RunFailure& failure) {
    ReportRunFailure(program, jobName, failure);
    return 1;
  } catch (...) {
    return ReportCurrentFailure(program);
  }
}
