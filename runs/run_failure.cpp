#include "run_failure.h"

#include "number_format.h"
#include "text.h"

RunFailure::RunFailure(int run_, const std::string& job_, const std::string& message_,
                       const std::string& workerDirectory_, std::exception_ptr cause_, const std::string& modelOutput_)
    : std::runtime_error(message_),
      run(run_),
      job(job_),
      message(message_),
      workerDirectory(workerDirectory_),
      cause(std::move(cause_)),
      modelOutput(modelOutput_) {}

std::string JobText(const std::vector<double>& job) {
  std::string text;
  for (double v : job) {
    if (!text.empty()) text += ", ";
    AppendGeneral(text, v);
  }
  return text;
}

std::string CurrentErrorMessage() {
  try {
    throw;
  } catch (const std::exception& e) {
    // A framed message carries blanks and line ends of its own.
    std::string text(TrimBlanks(e.what()));
    for (char& c : text)
      if (c == '\n' || c == '\r') c = ' ';
    return text;
  } catch (...) {
    return "unknown error";
  }
}
