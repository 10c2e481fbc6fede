#pragma once
// The one way library code stops a program: a Stop carries the exact text
// and where it goes. Only a program's main (and a worker's serve loop) turns
// it into output, through ReportStop, and into the exit status.

#include <stdexcept>
#include <string>

enum class StopStyle {
  Fatal,   // "message\n" and "...now exiting to system...\n" on standard error
  Banner,  // frame lines on standard output around the message, printed as given on standard error
  Plain,   // the output text, if any, on standard output, then the message as given on standard error
};

class Stop : public std::runtime_error {
 public:
  Stop(StopStyle style, const std::string& message, int status = 1)
      : std::runtime_error(message), style_(style), status_(status) {}
  // A plain stop that also shows `output` on standard output, before the message.
  Stop(const std::string& output, const std::string& message)
      : std::runtime_error(message), style_(StopStyle::Plain), status_(1), output_(output) {}
  StopStyle style() const { return style_; }
  int status() const { return status_; }
  const std::string& output() const { return output_; }
  // One more line for standard error after the stop's own text (the cause of
  // a failure whose specified message does not say it), or empty.
  const std::string& detail() const { return detail_; }
  Stop& WithDetail(const std::string& line) {
    detail_ = line;
    return *this;
  }

 private:
  StopStyle style_;
  int status_;
  std::string output_;
  std::string detail_;
};

// Throws the fatal stop with `message` (and the detail line, if any).
[[noreturn]] void FatalError(const std::string& message, const std::string& detail = "");

// Throws the framed stop with `message` (and the detail line, if any).
[[noreturn]] void FailWithBanner(const std::string& message, const std::string& detail = "");

// Prints `stop` exactly as the program reports it (standard output flushed
// first) and returns its exit status.
int ReportStop(const Stop& stop);

// For a catch (...) block of a program's main: prints the error in flight (a
// Stop as ReportStop does, an input error as "path:line: what", anything else
// as "PROGRAM: what") and returns the exit status, 1 unless a Stop says otherwise.
int ReportCurrentFailure(const char* program);
