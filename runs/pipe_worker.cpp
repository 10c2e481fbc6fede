// The part of ParallelSession that is the same with and without MPI: the
// isolated worker process.

#include <filesystem>

#include "parallel.h"
#include "run_protocol.h"

bool IsPipeWorkerCall(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--serve-runs") return true;
  return false;
}

void ParallelSession::BecomePipeWorker(const std::string& folder) {
  std::filesystem::current_path(folder);
  streams_ = TakeWorkerStreams("worker.log");
  pipeWorker_ = true;
}

int ServePipe(const WorkerStreams& streams, const RunFunction& run) {
  return ServeOverPipes(streams, run, "worker.log");
}
