// The MPI build: rank 0 coordinates, ranks 1 to N-1 make the runs, each in a
// private copy of the working directory (and with --isolate each in worker
// processes of its own). Messages carry doubles: a job is [index, attempt,
// time limit, values...], a result [index, seconds, values...]; a failure is
// the text "index\nseconds\nfolder\nreason\nmodel output"; a cancel carries
// the index of a run whose other copy finished first; a stop carries 1 when
// the workers must keep their folders.
//
// A run that is overdue (longer than 1.5 times the median run) while a worker
// is idle is started again there: the first result is kept, the other copy
// is ended (with --isolate) or its result dropped. Retries go to any idle worker.

#include "parallel.h"

#include <mpi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "attempts.h"
#include "run_protocol.h"
#include "run_failure.h"
#include "run_outcome.h"
#include "serial_dispatch.h"
#include "stop.h"
#include "worker_folders.h"

namespace fs = std::filesystem;

namespace {

enum Tag { kJobTag = 1, kResultTag = 2, kFailureTag = 3, kStopTag = 4, kCancelTag = 5 };

using Clock = std::chrono::steady_clock;

// Waits at most `seconds` for a message, sleeping between probes so that a
// waiting rank leaves the processor to the model runs. False when none came.
bool WaitForMessage(int source, MPI_Status& status, double seconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  int arrived = 0;
  while (true) {
    MPI_Iprobe(source, MPI_ANY_TAG, MPI_COMM_WORLD, &arrived, &status);
    if (arrived) return true;
    if (seconds >= 0 && Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void SendDoubles(int destination, int tag, const std::vector<double>& message) {
  MPI_Send(message.data(), static_cast<int>(message.size()), MPI_DOUBLE, destination, tag, MPI_COMM_WORLD);
}

std::vector<double> ReceiveDoubles(const MPI_Status& status) {
  int count = 0;
  MPI_Get_count(&status, MPI_DOUBLE, &count);
  std::vector<double> message(static_cast<size_t>(count));
  MPI_Recv(message.data(), count, MPI_DOUBLE, status.MPI_SOURCE, status.MPI_TAG, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
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

// Splits "a\nb\nc..." into its first `n` lines and the rest.
std::vector<std::string> SplitLines(const std::string& text, size_t n) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (parts.size() < n) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) {
      parts.push_back(text.substr(std::min(from, text.size())));
      from = text.size();
      continue;
    }
    parts.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  parts.push_back(text.substr(std::min(from, text.size())));
  return parts;
}

// Rank 0's side: hands out jobs in order to idle workers, again when they
// fail and retries are left, and twice when a run is overdue; keeps the
// outcomes that come early and gives them back in run order.
class MpiDispatcher : public RunDispatcher {
 public:
  MpiDispatcher(const std::vector<RunJob>& jobs, size_t first, int size, std::string root, const RunPolicy& policy,
                bool& released)
      : jobs_(jobs), next_(first), root_(std::move(root)), policy_(policy), limit_(policy), released_(released) {
    for (int rank = size - 1; rank >= 1; --rank) idle_.push_back(rank);
    workers_ = size - 1;
  }

  ~MpiDispatcher() override {
    while (!running_.empty()) Receive(-1);
    double keep = failed_ ? 1.0 : 0.0;
    for (int rank = 1; rank <= workers_; ++rank) MPI_Send(&keep, 1, MPI_DOUBLE, rank, kStopTag, MPI_COMM_WORLD);
    released_ = true;
  }

  RunOutcome Outcome(size_t index) override {
    while (!done_.count(index)) {
      HandOut();
      Receive(0.05);  // now and then, to see whether a run is overdue
    }
    RunOutcome outcome = std::move(done_[index]);
    done_.erase(index);
    if (!outcome.ok() && !policy_.skipFailed) failed_ = true;
    return outcome;
  }

 private:
  struct Copy {
    size_t index;
    Clock::time_point start;
  };
  struct Pending {  // a run not yet done: its attempts so far
    RunOutcome outcome;
    int copies = 0;  // copies running now
    int sent = 0;    // copies ever sent: the attempts the record shows
    bool duplicated = false;
  };

  void Send(int rank, size_t index, int attempt) {
    std::vector<double> message = {static_cast<double>(index), static_cast<double>(attempt), limit_.Seconds()};
    message.insert(message.end(), jobs_[index].begin(), jobs_[index].end());
    SendDoubles(rank, kJobTag, message);
    running_[rank] = Copy{index, Clock::now()};
    Pending& pending = pending_[index];
    if (pending.outcome.startedUtc.empty()) pending.outcome.startedUtc = UtcNow();
    ++pending.copies;
    ++pending.sent;
  }

  // The run that has been running longest past 1.5 times the median (and at
  // least 50 ms past it, so that runs of a few milliseconds are not made
  // twice for a scheduling hiccup), with one copy only.
  bool Overdue(size_t& index) const {
    if (times_.size() < 3) return false;
    const double median = MedianTime(times_);
    const double limit = std::max(1.5 * median, median + 0.05);
    double longest = 0;
    for (const auto& [rank, copy] : running_) {
      auto found = pending_.find(copy.index);
      if (found == pending_.end()) continue;  // done, its other copy being ended
      const Pending& pending = found->second;
      const double elapsed = std::chrono::duration<double>(Clock::now() - copy.start).count();
      if (pending.copies == 1 && !pending.duplicated && elapsed > limit && elapsed > longest) {
        longest = elapsed;
        index = copy.index;
      }
    }
    return longest > 0;
  }

  void HandOut() {
    while (!idle_.empty() && !stopping_) {
      const int rank = idle_.back();
      size_t index = 0;
      // A straggler first: one overdue run holds up the folding of every later one.
      if (!retries_.empty()) {
        index = retries_.front();
        retries_.pop_front();
        Send(rank, index, pending_[index].outcome.attempts + 1);
      } else if (Overdue(index)) {
        pending_[index].duplicated = true;
        Send(rank, index, pending_[index].outcome.attempts + 1);
      } else if (next_ < jobs_.size()) {
        Send(rank, next_, 1);
        ++next_;
      } else {
        return;
      }
      idle_.pop_back();
    }
  }

  void Finish(size_t index, RunOutcome outcome) {
    done_[index] = std::move(outcome);
    pending_.erase(index);
    // The other copy of a run done is ended (an isolated worker) or its result dropped.
    for (const auto& [rank, copy] : running_)
      if (copy.index == index) {
        double cancel = static_cast<double>(index);
        MPI_Send(&cancel, 1, MPI_DOUBLE, rank, kCancelTag, MPI_COMM_WORLD);
      }
  }

  void Receive(double seconds) {
    MPI_Status status;
    if (!WaitForMessage(MPI_ANY_SOURCE, status, seconds)) return;
    const int rank = status.MPI_SOURCE;
    const size_t index = running_.at(rank).index;
    running_.erase(rank);
    idle_.push_back(rank);
    AttemptResult attempt;
    attempt.worker = "worker-" + std::to_string(rank);
    if (status.MPI_TAG == kResultTag) {
      std::vector<double> message = ReceiveDoubles(status);
      attempt.ok = true;
      attempt.seconds = message[1];
      attempt.values.assign(message.begin() + 2, message.end());
    } else {
      const std::vector<std::string> parts = SplitLines(ReceiveText(status), 4);
      attempt.seconds = std::atof(parts[1].c_str());
      attempt.folder = parts[2];
      attempt.reason = parts[3];
      attempt.modelOutput = parts[4];
    }
    auto pending = pending_.find(index);
    if (pending == pending_.end()) return;  // the other copy finished first
    Pending& p = pending->second;
    --p.copies;
    if (attempt.ok) {
      times_.push_back(attempt.seconds);
      limit_.Record(attempt.seconds);
    } else if (p.copies > 0) {
      return;  // the other copy may still succeed
    }
    p.outcome.attempts += 1;
    p.outcome.seconds += attempt.seconds;
    p.outcome.last = std::move(attempt);
    if (p.outcome.ok() || p.outcome.attempts > policy_.retries) {
      if (!p.outcome.ok() && !policy_.skipFailed) stopping_ = true;  // no further job is handed out
      // A copy sent while another ran counts as an attempt, whichever finished first.
      p.outcome.attempts = std::max(p.outcome.attempts, p.sent);
      Finish(index, std::move(p.outcome));
    } else {
      p.duplicated = false;
      retries_.push_back(index);
    }
  }

  const std::vector<RunJob>& jobs_;
  size_t next_;
  std::string root_;
  RunPolicy policy_;
  TimeLimit limit_;
  bool& released_;
  int workers_ = 0;
  bool failed_ = false, stopping_ = false;
  std::vector<int> idle_;
  std::map<int, Copy> running_;
  std::map<size_t, Pending> pending_;
  std::map<size_t, RunOutcome> done_;
  std::deque<size_t> retries_;
  std::vector<double> times_;
};

// A worker's side: makes the runs it is sent until it is told to stop.
// Returns whether it must keep its folder.
bool ServeJobs(const RunFunction& run, const RunSettings& settings, int rank, const std::string& directory) {
  std::unique_ptr<AttemptMaker> attempts =
      MakeAttempts(settings, run, "worker-" + std::to_string(rank) + "-process");
  while (true) {
    MPI_Status status;
    WaitForMessage(0, status, -1);
    if (status.MPI_TAG == kStopTag) {
      std::vector<double> keep = ReceiveDoubles(status);
      return !keep.empty() && keep[0] != 0.0;
    }
    std::vector<double> message = ReceiveDoubles(status);
    if (status.MPI_TAG == kCancelTag) continue;  // the run ended before the cancel came
    const size_t index = static_cast<size_t>(message[0]);
    const int attempt = static_cast<int>(message[1]);
    // The coordinator cancels a run whose other copy finished first.
    auto cancelled = [index] {
      int arrived = 0;
      MPI_Status probe;
      MPI_Iprobe(0, kCancelTag, MPI_COMM_WORLD, &arrived, &probe);
      if (!arrived) return false;
      std::vector<double> cancel = ReceiveDoubles(probe);
      return !cancel.empty() && static_cast<size_t>(cancel[0]) == index;
    };
    const long logStart = LogSize("worker.log");
    AttemptResult result =
        attempts->Attempt(index, RunJob(message.begin() + 3, message.end()), attempt, message[2], cancelled);
    // A run in this process printed to this worker's log: the model's words come along.
    if (!result.ok && !settings.isolate) result.modelOutput = LogSince("worker.log", logStart);
    std::fflush(stdout);
    if (result.ok) {
      std::vector<double> reply = {static_cast<double>(index), result.seconds};
      reply.insert(reply.end(), result.values.begin(), result.values.end());
      SendDoubles(0, kResultTag, reply);
      continue;
    }
    // An in-process run failed in this folder, which goes on serving: with
    // runs left out or tried again, a copy of it is kept for inspection.
    std::string folder = result.folder;
    if (folder.empty())
      folder = settings.policy.skipFailed || settings.policy.retries > 0
                   ? CopyFailedFolder(directory, settings.isolation.root, index + 1, attempt)
                   : directory;
    std::string text = std::to_string(index) + "\n" + std::to_string(result.seconds) + "\n" + folder + "\n" +
                       result.reason + "\n" + result.modelOutput;
    MPI_Send(text.data(), static_cast<int>(text.size()), MPI_CHAR, 0, kFailureTag, MPI_COMM_WORLD);
  }
}

}  // namespace

ParallelSession::ParallelSession(int& argc, char**& argv) {
  // An isolated worker process is no rank of the job, whatever its environment says.
  if (IsPipeWorkerCall(argc, argv)) return;
  MPI_Init(&argc, &argv);
  mpi_ = true;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

ParallelSession::~ParallelSession() {
  if (!mpi_) return;
  if (size_ > 1 && !finished_) MPI_Barrier(MPI_COMM_WORLD);
  MPI_Finalize();
}

void ParallelSession::EnterWorkerDirectory(const std::string& root, const std::vector<std::string>& excluded) {
  if (pipeWorker_) return;
  workerRoot_ = fs::absolute(root).string();
  std::exception_ptr failed;
  if (rank_ > 0) {
    workerDirectory_ = WorkerDirectory(workerRoot_, rank_);
    try {
      CopyWorkingDirectory(fs::current_path().string(), workerDirectory_, excluded, workerRoot_);
    } catch (...) {
      failed = std::current_exception();
    }
  }
  // The copies are the inputs as they stood: the coordinator writes nothing before every copy is made.
  if (size_ > 1) MPI_Barrier(MPI_COMM_WORLD);
  if (failed) std::rethrow_exception(failed);
  if (rank_ == 0) return;
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
                                                               size_t first, const RunSettings& settings) {
  if (size_ == 1) return MakeSerialDispatcher(jobs, MakeAttempts(settings, std::move(run), "process"), settings.policy);
  return std::make_unique<MpiDispatcher>(jobs, first, size_, workerRoot_, settings.policy, workersReleased_);
}

int ParallelSession::ServeRuns(const RunFunction& run, const RunSettings& settings) {
  if (pipeWorker_) return ServePipe(streams_, run);
  bool keep = ServeJobs(run, settings, rank_, workerDirectory_);
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
  if (status == 0 || size_ == 1 || pipeWorker_) return status;
  if (IsWorker() && !finished_) {
    // This worker could not get ready: it answers every run with that, so
    // that the coordinator names the failure, and keeps its folder.
    RunSettings settings;
    ServeRuns([](const RunJob&) -> RunResult {
      throw std::runtime_error("the worker could not start; see its worker.log");
    }, settings);
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
