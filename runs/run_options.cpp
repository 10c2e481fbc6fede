#include "run_options.h"

#include <filesystem>

bool ParseRunOptions(int argc, char** argv, RunOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--resume") {
      options.resume = true;
    } else if (a == "--worker-root") {
      if (i + 1 >= argc) {
        error = "--worker-root needs a directory";
        return false;
      }
      options.workerRoot = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else {
      options.arguments.push_back(a);
    }
  }
  return true;
}

std::string DefaultWorkerRoot() {
  std::filesystem::path cwd = std::filesystem::current_path();
  return cwd.string() + ".workers";
}
