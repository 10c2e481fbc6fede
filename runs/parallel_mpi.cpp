// The MPI build: rank 0 coordinates, ranks 1 to N-1 make the runs, each in a
// private copy of the working directory. Messages carry doubles: a job is
// [index, values...], a result [index, values...]; a failure is the text
// "index\nmessage"; a stop carries 1 when the workers must keep their folders.

#include "parallel.h"

#include <mpi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "file_handle.h"
#include "run_failure.h"
#include "stop.h"

namespace fs = std::filesystem;

namespace {

enum Tag { kJobTag = 1, kResultTag = 2, kFailureTag = 3, kStopTag = 4 };

// Waits for the next message, sleeping between probes so that a waiting rank
// leaves the processor to the model runs.
MPI_Status WaitForMessage(int source) {
  MPI_Status status;
  int arrived = 0;
  while (true) {
    MPI_Iprobe(source, MPI_ANY_TAG, MPI_COMM_WORLD, &arrived, &status);
    if (arrived) return status;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void SendDoubles(int destination, int tag, size_t index, const std::vector<double>& values) {
  std::vector<double> message;
  message.reserve(values.size() + 1);
  message.push_back(static_cast<double>(index));
  message.insert(message.end(), values.begin(), values.end());
  MPI_Send(message.data(), static_cast<int>(message.size()), MPI_DOUBLE, destination, tag, MPI_COMM_WORLD);
}

std::vector<double> ReceiveDoubles(const MPI_Status& status) {
  int count = 0;
  MPI_Get_count(&status, MPI_DOUBLE, &count);
  std::vector<double> message(static_cast<size_t>(count));
  MPI_Recv(message.data(), count, MPI_DOUBLE, status.MPI_SOURCE, status.MPI_TAG, MPI_COMM_WORLD,
           MPI_STATUS_IGNORE);
  return message;
}

std::string ReceiveText(const MPI_Status& status) {
  int count = 0;
  MPI_Get_count(&status, MPI_CHAR, &count);
  std::string text(static_cast<size_t>(count), '\0');
  MPI_Recv(&text[0], count, MPI_CHAR, status.MPI_SOURCE, status.MPI_TAG, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  return text;
}

std::string WorkerDirectory(const std::string& root, int rank) {
  return (fs::path(root) / ("worker-" + std::to_string(rank))).string();
}

// Rank 0's side: hands out jobs in order to idle workers, keeps the results
// that come early, and gives them back in run order.
class MpiDispatcher : public RunDispatcher {
 public:
  MpiDispatcher(const std::vector<RunJob>& jobs, size_t first, int size, std::string root, bool& released)
      : jobs_(jobs), next_(first), root_(std::move(root)), released_(released) {
    for (int rank = 1; rank < size; ++rank) idle_.push_back(rank);
    workers_ = size - 1;
  }

  ~MpiDispatcher() override {
    while (outstanding_ > 0) Receive();
    double keep = failed_ ? 1.0 : 0.0;
    for (int rank = 1; rank <= workers_; ++rank) MPI_Send(&keep, 1, MPI_DOUBLE, rank, kStopTag, MPI_COMM_WORLD);
    released_ = true;
  }

  RunResult Result(size_t index) override {
    while (!results_.count(index) && !failures_.count(index)) {
      HandOut();
      Receive();
    }
    auto failure = failures_.find(index);
    if (failure != failures_.end()) {
      failed_ = true;
      // The text is the harness's reason, then what the model printed during the run.
      const std::string& text = failure->second.second;
      size_t newline = text.find('\n');
      throw RunFailure(static_cast<int>(index) + 1, JobText(jobs_[index]), text.substr(0, newline),
                       WorkerDirectory(root_, failure->second.first), nullptr,
                       newline == std::string::npos ? "" : text.substr(newline + 1));
    }
    RunResult result = std::move(results_[index]);
    results_.erase(index);
    return result;
  }

 private:
  void HandOut() {
    while (!idle_.empty() && next_ < jobs_.size() && !failed_) {
      SendDoubles(idle_.back(), kJobTag, next_, jobs_[next_]);
      idle_.pop_back();
      ++next_;
      ++outstanding_;
    }
  }

  void Receive() {
    MPI_Status status = WaitForMessage(MPI_ANY_SOURCE);
    if (status.MPI_TAG == kResultTag) {
      std::vector<double> message = ReceiveDoubles(status);
      results_[static_cast<size_t>(message[0])] = RunResult(message.begin() + 1, message.end());
    } else {
      std::string text = ReceiveText(status);
      size_t newline = text.find('\n');
      failures_[std::stoul(text.substr(0, newline))] = {status.MPI_SOURCE, text.substr(newline + 1)};
      failed_ = true;  // no further job is handed out
    }
    idle_.push_back(status.MPI_SOURCE);
    --outstanding_;
  }

  const std::vector<RunJob>& jobs_;
  size_t next_;
  std::string root_;
  bool& released_;
  int workers_ = 0;
  int outstanding_ = 0;
  bool failed_ = false;
  std::vector<int> idle_;
  std::map<size_t, RunResult> results_;
  std::map<size_t, std::pair<int, std::string>> failures_;
};

// What the worker's log holds from `offset` on.
std::string LogSince(long offset) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::string text;
  if (offset < 0) return text;
  File log(std::fopen("worker.log", "rb"));
  if (!log || std::fseek(log.get(), offset, SEEK_SET) != 0) return text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, log.get())) > 0) text.append(chunk, got);
  return text;
}

// A worker's side: makes the runs it is sent until it is told to stop. A run
// that fails is answered with its message. Returns whether it must keep its folder.
bool ServeJobs(const RunFunction& run) {
  while (true) {
    MPI_Status status = WaitForMessage(0);
    if (status.MPI_TAG == kStopTag) {
      std::vector<double> keep = ReceiveDoubles(status);
      return !keep.empty() && keep[0] != 0.0;
    }
    std::vector<double> message = ReceiveDoubles(status);
    size_t index = static_cast<size_t>(message[0]);
    std::string failure;
    // The worker's output goes to its log: what the model prints during a run
    // that fails is sent with the failure.
    std::fflush(stdout);
    std::fflush(stderr);
    const long logStart = std::ftell(stdout);
    try {
      SendDoubles(0, kResultTag, index, run(RunJob(message.begin() + 1, message.end())));
      std::fflush(stdout);
      continue;
    } catch (...) {
      failure = CurrentErrorMessage() + "\n" + LogSince(logStart);
    }
    std::string text = std::to_string(index) + "\n" + failure;
    MPI_Send(text.data(), static_cast<int>(text.size()), MPI_CHAR, 0, kFailureTag, MPI_COMM_WORLD);
  }
}

}  // namespace

ParallelSession::ParallelSession(int& argc, char**& argv) {
  MPI_Init(&argc, &argv);
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

ParallelSession::~ParallelSession() {
  if (size_ > 1 && !finished_) MPI_Barrier(MPI_COMM_WORLD);
  MPI_Finalize();
}

void ParallelSession::EnterWorkerDirectory(const std::string& root, const std::vector<std::string>& excluded) {
  workerRoot_ = fs::absolute(root).string();
  if (!IsWorker()) return;
  const fs::path here = fs::current_path();
  workerDirectory_ = WorkerDirectory(workerRoot_, rank_);
  fs::remove_all(workerDirectory_);
  fs::create_directories(workerDirectory_);
  for (const fs::directory_entry& entry : fs::directory_iterator(here)) {
    const std::string name = entry.path().filename().string();
    bool skip = false;
    for (const std::string& e : excluded) skip = skip || name == fs::path(e).filename().string();
    if (skip || fs::equivalent(entry.path(), workerRoot_)) continue;
    fs::copy(entry.path(), fs::path(workerDirectory_) / name,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
  fs::current_path(workerDirectory_);
  // What a worker prints would break the coordinator's output: it goes to the worker's log.
  if (!std::freopen("worker.log", "w", stdout))
    throw std::runtime_error(workerDirectory_ + "/worker.log: cannot be created");
#if !defined(_WIN32)
  dup2(fileno(stdout), fileno(stderr));
#else
  std::freopen("worker.log", "a", stderr);
#endif
}

std::unique_ptr<RunDispatcher> ParallelSession::MakeDispatcher(const std::vector<RunJob>& jobs, RunFunction run,
                                                               size_t first) {
  if (size_ == 1) return MakeSerialDispatcher(jobs, std::move(run));
  return std::make_unique<MpiDispatcher>(jobs, first, size_, workerRoot_, workersReleased_);
}

int ParallelSession::ServeRuns(const RunFunction& run) {
  bool keep = ServeJobs(run);
  std::fflush(stdout);
  if (!keep) {
    fs::current_path(workerRoot_);
    std::error_code ignored;
    fs::remove_all(workerDirectory_, ignored);
  }
  MPI_Barrier(MPI_COMM_WORLD);
  finished_ = true;
  return 0;
}

void ParallelSession::Finish() {
  if (size_ == 1 || IsWorker()) return;
  MPI_Barrier(MPI_COMM_WORLD);  // the workers have removed their folders
  finished_ = true;
  std::error_code ignored;
  fs::remove(workerRoot_, ignored);  // only when it is empty
}

int ParallelSession::End(int status) {
  if (status == 0 || size_ == 1) return status;
  if (IsWorker() && !finished_) {
    // This worker could not get ready: it answers every run with that, so
    // that the coordinator names the failure, and keeps its folder.
    ServeRuns([](const RunJob&) -> RunResult {
      throw std::runtime_error("the worker could not start; see its worker.log");
    });
    return status;
  }
  if (!IsWorker() && !workersReleased_) {
    // The workers still wait for runs: end every process of the job.
    std::fflush(stdout);
    std::fflush(stderr);
    MPI_Abort(MPI_COMM_WORLD, 1);
  }
  return status;
}
