#pragma once
// A model run that failed: what went wrong and where it happened.

#include <stdexcept>
#include <string>
#include <vector>

struct RunFailure : std::runtime_error {
  RunFailure(int run, const std::string& job, const std::string& message, const std::string& workerDirectory);
  int run;                      // 1-based
  std::string job;              // the job's values, comma-separated
  std::string message;          // what the harness reported
  std::string workerDirectory;  // kept for inspection
};

// "v1, v2, ..." with six significant digits.
std::string JobText(const std::vector<double>& job);
