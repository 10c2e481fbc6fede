#include "run_book.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "number_format.h"
#include "run_failure.h"
#include "run_options.h"
#include "stop.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

RunBookSettings BookSettings(const std::string& program, const std::string& jobName, size_t total,
                             size_t sessionRuns, const RunOptions& options) {
  RunBookSettings book;
  book.program = program;
  book.jobName = jobName;
  book.total = total;
  book.first = total - sessionRuns;
  book.skipFailed = options.skipFailed;
  book.resume = options.resume;
  book.progress = options.progress;
  return book;
}

const char* const kRunRecordFile = "runs.csv";
const char* const kFailedRunsFile = "failed_runs.csv";

namespace {

// A record file: appended to when a resumed study goes on, begun anew otherwise.
File OpenRecord(const char* path, const char* header, bool resume) {
  const bool append = resume && std::filesystem::exists(path);
  File file(std::fopen(path, append ? "a" : "w"));
  if (!file) throw ::Stop(StopStyle::Plain, std::string(path) + ": cannot be written (" + std::strerror(errno) + ")\n");
  if (!append) std::fputs(header, file.get());
  std::fflush(file.get());
  return file;
}

// A CSV field that may hold commas or quotes.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c == '\n' ? ' ' : c;
  }
  return quoted + "\"";
}

std::string Seconds(double seconds) {
  return FormatString("%.3f", seconds);
}

std::string Clock(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  return FormatString("%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
}

}  // namespace

RunBook::RunBook(const RunBookSettings& settings, std::function<std::string(size_t)> label,
                 std::function<std::string(size_t)> jobText, std::vector<size_t> failedBefore)
    : settings_(settings),
      label_(std::move(label)),
      jobText_(std::move(jobText)),
      failed_(std::move(failedBefore)),
      runs_(OpenRecord(kRunRecordFile, "run,set_or_row,worker,attempts,status,seconds,started_utc\n", settings.resume)),
      start_(std::chrono::steady_clock::now()),
      lastProgress_(start_),
      terminal_(isatty(2) != 0) {
  // The failures of a study before this one would mislead; those of the session resumed go on.
  if (!settings.resume) std::remove(kFailedRunsFile);
}

RunBook::~RunBook() {
  if (terminal_ && progressShown_) std::fputs("\n", stderr);
}

void RunBook::Record(size_t index, const RunOutcome& outcome) {
  std::fprintf(runs_.get(), "%zu,%s,%s,%d,%s,%s,%s\n", index + 1, label_(index).c_str(), outcome.last.worker.c_str(),
               outcome.attempts, outcome.ok() ? "ok" : "failed", Seconds(outcome.seconds).c_str(),
               outcome.startedUtc.c_str());
  std::fflush(runs_.get());
  if (outcome.ok()) {
    seconds_.push_back(outcome.last.seconds);
    return;
  }
  if (!failures_) failures_ = OpenRecord(kFailedRunsFile, "run,set_or_row,attempts,reason,seconds,folder\n", true);
  std::fprintf(failures_.get(), "%zu,%s,%d,%s,%s,%s\n", index + 1, label_(index).c_str(), outcome.attempts,
               CsvField(outcome.last.reason).c_str(), Seconds(outcome.seconds).c_str(),
               CsvField(outcome.last.folder).c_str());
  std::fflush(failures_.get());
}

void RunBook::Stop(size_t index, const RunOutcome& outcome) const {
  std::string message = outcome.last.reason;
  if (outcome.attempts > 1) message += " (after " + std::to_string(outcome.attempts) + " attempts)";
  throw RunFailure(static_cast<int>(index) + 1, jobText_(index), message, outcome.last.folder, outcome.last.cause,
                   outcome.last.modelOutput);
}

RunOutcome RunBook::Take(RunDispatcher& dispatcher, size_t position, size_t index) {
  RunOutcome outcome = dispatcher.Outcome(position);
  Record(index, outcome);
  ++done_;
  if (!outcome.ok()) {
    if (!settings_.skipFailed) Stop(index, outcome);
    failed_.push_back(index);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: run %zu (%s %s) failed and is left out: %s\n", settings_.program.c_str(), index + 1,
                 settings_.jobName.c_str(), jobText_(index).c_str(), outcome.last.reason.c_str());
    if (failed_.size() * 2 > settings_.total)
      throw ::Stop(StopStyle::Plain, settings_.program + ": " + std::to_string(failed_.size()) + " of the " +
                                         std::to_string(settings_.total) +
                                         " runs failed; nothing useful can be computed (see " + kFailedRunsFile + ")\n");
  }
  Progress(settings_.first + done_ == settings_.total);
  return outcome;
}

void RunBook::Progress(bool last) {
  if (!terminal_ && !settings_.progress) return;
  const auto now = std::chrono::steady_clock::now();
  const double sinceLast = std::chrono::duration<double>(now - lastProgress_).count();
  if (progressShown_ && !last && sinceLast < (terminal_ ? 1.0 : 30.0)) return;
  lastProgress_ = now;
  progressShown_ = true;
  const size_t done = settings_.first + done_;
  const double median = seconds_.empty() ? 0 : MedianTime(seconds_);
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double left = elapsed / static_cast<double>(done_) * static_cast<double>(settings_.total - done);
  const std::string line =
      FormatString("run %zu/%zu (%zu%%), %zu failed, %.1f s/run, ETA %s", done, settings_.total,
                   settings_.total ? done * 100 / settings_.total : 100, failed_.size(), median, Clock(left).c_str());
  std::fflush(stdout);
  if (terminal_)
    std::fprintf(stderr, "\r\x1b[K%s\r", line.c_str());
  else
    std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void RunBook::Finish() {
  if (failed_.empty()) return;
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %zu of the %zu runs failed and were left out; see %s\n", settings_.program.c_str(),
               failed_.size(), settings_.total, kFailedRunsFile);
}
