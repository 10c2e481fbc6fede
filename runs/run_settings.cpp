#include "run_settings.h"

#include <filesystem>

#include "child_process.h"

std::string WorkerRootOf(const RunOptions& options) {
  return std::filesystem::absolute(options.workerRoot.empty() ? DefaultWorkerRoot() : options.workerRoot).string();
}

RunSettings RunSettingsFor(const RunOptions& options, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& notCopied, const std::string& root) {
  RunSettings settings;
  settings.policy.retries = options.retries;
  settings.policy.skipFailed = options.skipFailed;
  settings.policy.timeLimit = options.runTimeout;
  settings.policy.autoTimeLimit = options.autoRunTimeout;
  settings.isolate = options.isolate;
  settings.isolation.program = ThisExecutable();
  settings.isolation.arguments = arguments;
  settings.isolation.root = root;
  settings.isolation.notCopied = notCopied;
  return settings;
}

std::unique_ptr<AttemptMaker> MakeAttempts(const RunSettings& settings, RunFunction run, const std::string& name) {
  if (!settings.isolate) return InProcessAttempts(std::move(run));
  IsolationSettings isolation = settings.isolation;
  isolation.name = name;
  std::filesystem::create_directories(isolation.root);
  return IsolatedAttempts(isolation);
}
