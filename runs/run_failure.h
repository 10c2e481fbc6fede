#pragma once
// A model run that failed: what went wrong and where it happened.

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

struct RunFailure : std::runtime_error {
  RunFailure(int run, const std::string& job, const std::string& message, const std::string& workerDirectory,
             std::exception_ptr cause = nullptr, const std::string& modelOutput = "");
  int run;                      // 1-based; 0 for the final run after the others
  std::string job;              // the job's values, comma-separated
  std::string message;          // what the harness reported, one line
  std::string workerDirectory;  // where the run was made, kept for inspection; empty in this process
  std::exception_ptr cause;     // the error itself when it was raised in this process
  std::string modelOutput;      // what the model printed during the run, when it was not shown
};

// "v1, v2, ..." with six significant digits.
std::string JobText(const std::vector<double>& job);

// Calls `run`; anything it throws comes out as a RunFailure of run `run`
// (1-based, 0 for the final run) and `job`.
template <typename F>
auto RunNamed(int run, const std::vector<double>& job, F&& f) -> decltype(f());

// The message of the exception in flight, as one line.
std::string CurrentErrorMessage();

template <typename F>
auto RunNamed(int run, const std::vector<double>& job, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const RunFailure&) {
    throw;
  } catch (...) {
    throw RunFailure(run, JobText(job), CurrentErrorMessage(), "", std::current_exception());
  }
}
