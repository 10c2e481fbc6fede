// The build without MPI: one process, everything serial.

#include "parallel.h"

ParallelSession::ParallelSession(int&, char**&) {}
ParallelSession::~ParallelSession() = default;

void ParallelSession::EnterWorkerDirectory(const std::string&, const std::vector<std::string>&) {}

std::unique_ptr<RunDispatcher> ParallelSession::MakeDispatcher(const std::vector<RunJob>& jobs,
                                                               RunFunction run, size_t) {
  return MakeSerialDispatcher(jobs, std::move(run));
}

int ParallelSession::ServeRuns(const RunFunction&) { return 0; }

void ParallelSession::Finish() { finished_ = true; }

int ParallelSession::End(int status) { return status; }
