#pragma once
// The process roles of a model-driving program. Built without MPI, or run
// with one process, everything is serial. Under "mpirun -n N", rank 0 is the
// coordinator: it reads the inputs, prints and folds exactly what a serial
// run does, and hands the runs to ranks 1 to N-1, the workers, each of which
// works in a private copy of the working directory. A program started with
// --serve-runs is an isolated worker process: it serves runs over its
// standard input and output for the program that started it.

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "run_dispatch.h"
#include "run_settings.h"

class ParallelSession {
 public:
  ParallelSession(int& argc, char**& argv);
  ~ParallelSession();
  ParallelSession(const ParallelSession&) = delete;
  ParallelSession& operator=(const ParallelSession&) = delete;

  bool IsWorker() const { return rank_ > 0 || pipeWorker_; }
  bool IsParallel() const { return size_ > 1; }

  // An isolated worker process: enters `folder` and moves the protocol off
  // its standard streams, which go to the folder's "worker.log".
  void BecomePipeWorker(const std::string& folder);

  // MPI workers: copy the working directory into ROOT/worker-RANK (all its files
  // and folders but `excluded` and the worker root itself), enter the copy and
  // send their own output to its "worker.log". Does nothing on the coordinator.
  void EnterWorkerDirectory(const std::string& root, const std::vector<std::string>& excluded);

  // The coordinator's dispatcher (serial when there are no workers), asked
  // for results from job `first` on.
  std::unique_ptr<RunDispatcher> MakeDispatcher(const std::vector<RunJob>& jobs, RunFunction run, size_t first,
                                                const RunSettings& settings);

  // A worker's part: makes the runs the coordinator (or the program that
  // started it) sends until it is told to stop. Returns 0.
  int ServeRuns(const RunFunction& run, const RunSettings& settings);

  // After a complete run: the workers' directories are removed.
  void Finish();

  // The exit status of this process once the program's body ended with
  // `status`. A failure that leaves other processes of the job waiting for
  // this one ends them all (status 1).
  int End(int status);

 private:
  int rank_ = 0;
  int size_ = 1;
  bool mpi_ = false;
  bool pipeWorker_ = false;
  WorkerStreams streams_;
  bool finished_ = false;
  bool workersReleased_ = false;  // the coordinator told every worker to stop
  std::string workerRoot_;
  std::string workerDirectory_;
};

// Whether the arguments make this process an isolated worker (--serve-runs).
bool IsPipeWorkerCall(int argc, char** argv);

// Serves runs over the pipes of an isolated worker process.
int ServePipe(const WorkerStreams& streams, const RunFunction& run);
