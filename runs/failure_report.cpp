#include "failure_report.h"

#include <cstdio>
#include <string>

#include "run_failure.h"
#include "stop.h"
#include "text.h"

int RunReportingFailures(const char* program, const char* jobName, const std::function<int()>& body) {
  try {
    return body();
  } catch (const RunFailure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: run %d (%s %s) failed in worker directory %s: %s\n", program, failure.run, jobName,
                 failure.job.c_str(), failure.workerDirectory.c_str(),
                 std::string(TrimBlanks(failure.message)).c_str());
    std::fflush(stderr);
    return 1;
  } catch (...) {
    return ReportCurrentFailure(program);
  }
}
