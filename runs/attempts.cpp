#include "attempts.h"

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <filesystem>

#include "child_process.h"
#include "number_format.h"
#include "run_failure.h"
#include "run_protocol.h"
#include "text.h"
#include "worker_folders.h"

namespace fs = std::filesystem;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class InProcess : public AttemptMaker {
 public:
  InProcess(RunFunction run, std::string worker) : run_(std::move(run)), worker_(std::move(worker)) {}

  AttemptResult Attempt(size_t, const RunJob& job, int, double, const std::function<bool()>&) override {
    AttemptResult result;
    result.worker = worker_;
    const auto start = std::chrono::steady_clock::now();
    try {
      result.values = run_(job);
      result.ok = true;
    } catch (...) {
      result.reason = CurrentErrorMessage();
      result.cause = std::current_exception();
    }
    result.seconds = SecondsSince(start);
    return result;
  }

 private:
  RunFunction run_;
  std::string worker_;
};

class Isolated : public AttemptMaker {
 public:
  explicit Isolated(IsolationSettings settings) : settings_(std::move(settings)) {}

  ~Isolated() override {
    // A worker that served well ends when its input closes; its folder goes.
    if (child_.Running()) child_.Wait();
    std::error_code ignored;
    if (!folder_.empty()) RemoveFolder(folder_);
    fs::remove(settings_.root, ignored);  // only when no failed run's folder is kept there
  }

  AttemptResult Attempt(size_t index, const RunJob& job, int attempt, double timeLimit,
                        const std::function<bool()>& cancelled) override {
    AttemptResult result;
    if (!child_.Running()) StartWorker();
    result.worker = worker_;
    const auto start = std::chrono::steady_clock::now();
    WorkerReply reply;
    if (child_.Write(JobMessage(index, job))) {
      // In slices, so that a cancelled run is ended soon.
      while (true) {
        const double left = timeLimit > 0 ? timeLimit - SecondsSince(start) : -1;
        const double slice = cancelled ? 0.02 : -1;
        const double wait = left < 0 ? slice : slice < 0 ? left : std::min(left, slice);
        reply = ReadReply(child_, timeLimit > 0 && left <= 0 ? 0 : wait, buffer_);
        if (reply.state != -1 || (timeLimit > 0 && SecondsSince(start) >= timeLimit)) break;
        if (cancelled && cancelled()) {
          child_.Kill();
          RemoveFolder(folder_);
          folder_.clear();
          result.reason = "cancelled: another copy of the run finished first";
          result.seconds = SecondsSince(start);
          return result;
        }
      }
    }
    result.seconds = SecondsSince(start);
    if (reply.state == 1 && reply.ok) {
      result.ok = true;
      result.values = std::move(reply.values);
      return result;
    }
    if (reply.state == 1) {
      const size_t newline = reply.failure.find('\n');
      result.reason = reply.failure.substr(0, newline);
      if (newline != std::string::npos) result.modelOutput = reply.failure.substr(newline + 1);
      child_.Wait();  // a worker whose run failed is not trusted with another
    } else if (reply.state == -1) {
      child_.Kill();
      result.reason = "took longer than the time limit of " + LimitText(timeLimit) + " s; its worker process was ended";
    } else {
      result.reason = "its worker process " + child_.Wait() + " during the run";
      result.modelOutput = LogTail();
    }
    result.folder = KeepFailedFolder(folder_, settings_.root, index + 1, attempt);
    folder_.clear();
    return result;
  }

 private:
  static std::string LimitText(double seconds) {
    std::string text;
    AppendGeneral(text, seconds);
    return text;
  }

  // What the worker's log says since the worker's run began: the model's last words.
  std::string LogTail() const {
    std::string text;
    if (!ReadFileText((fs::path(folder_) / "worker.log").string(), text)) return "";
    size_t from = text.rfind("\n", text.size() > 1 ? text.size() - 2 : 0);
    size_t lines = 0;
    while (from != std::string::npos && from > 0 && ++lines < 5) from = text.rfind('\n', from - 1);
    return from == std::string::npos ? text : text.substr(from + 1);
  }

  void StartWorker() {
    worker_ = settings_.name + "-" + std::to_string(++started_);
    folder_ = (fs::path(settings_.root) / worker_).string();
    CopyWorkingDirectory(fs::current_path().string(), folder_, settings_.notCopied, settings_.root);
    std::vector<std::string> arguments = {"--serve-runs", folder_};
    arguments.insert(arguments.end(), settings_.arguments.begin(), settings_.arguments.end());
    child_ = ChildProcess::Start(settings_.program, arguments, folder_, (fs::path(folder_) / "worker.log").string());
    if (!WaitUntilReady(child_))
      throw std::runtime_error("the worker process in " + folder_ + " " + child_.Wait() +
                               " before it was ready; its worker.log says why");
  }

  IsolationSettings settings_;
  ChildProcess child_;
  std::string buffer_;  // the bytes of a reply, kept from run to run
  std::string worker_;
  std::string folder_;
  int started_ = 0;
};

}  // namespace

std::unique_ptr<AttemptMaker> InProcessAttempts(RunFunction run, const std::string& worker) {
  return std::make_unique<InProcess>(std::move(run), worker);
}

std::unique_ptr<AttemptMaker> IsolatedAttempts(const IsolationSettings& settings) {
  return std::make_unique<Isolated>(settings);
}
