// The build without MPI: one process, everything serial.

#include "parallel.h"

#include "serial_dispatch.h"

ParallelSession::ParallelSession(int&, char**&) {}
ParallelSession::~ParallelSession() = default;

void ParallelSession::EnterWorkerDirectory(const std::string&, const std::vector<std::string>&) {}

std::unique_ptr<RunDispatcher> ParallelSession::MakeDispatcher(const std::vector<RunJob>& jobs, RunFunction run,
                                                               size_t, const RunSettings& settings) {
  return MakeSerialDispatcher(jobs, MakeAttempts(settings, std::move(run), "process"), settings.policy);
}

int ParallelSession::ServeRuns(const RunFunction& run, const RunSettings&) {
  return pipeWorker_ ? ServePipe(streams_, run) : 0;
}

void ParallelSession::Finish() { finished_ = true; }

int ParallelSession::End(int status) { return status; }
