#include "run_failure.h"

#include "number_format.h"

RunFailure::RunFailure(int run_, const std::string& job_, const std::string& message_,
                       const std::string& workerDirectory_)
    : std::runtime_error(message_), run(run_), job(job_), message(message_), workerDirectory(workerDirectory_) {}

std::string JobText(const std::vector<double>& job) {
  std::string text;
  for (double v : job) {
    if (!text.empty()) text += ", ";
    AppendGeneral(text, v);
  }
  return text;
}
