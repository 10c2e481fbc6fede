// The build without MPI: one process, everything serial.

#include "parallel.h"

#include <cstdlib>

ParallelSession::ParallelSession(int&, char**&) {}
ParallelSession::~ParallelSession() = default;

void ParallelSession::EnterWorkerDirectory(const std::string&, const std::vector<std::string>&) {}

std::unique_ptr<RunDispatcher> ParallelSession::MakeDispatcher(const std::vector<RunJob>& jobs,
                                                               RunFunction run, size_t) {
  return MakeSerialDispatcher(jobs, std::move(run));
}

void ParallelSession::Finish() { finished_ = true; }

void ParallelSession::Abort() { std::exit(1); }
