#include "run_settings.h"

#include <filesystem>

#include "child_process.h"

RunSettings RunSettingsFor(const RunOptions& options, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& notCopied) {
  RunSettings settings;
  settings.policy.retries = options.retries;
  settings.policy.skipFailed = options.skipFailed;
  settings.policy.timeLimit = options.runTimeout;
  settings.policy.autoTimeLimit = options.autoRunTimeout;
  settings.isolate = options.isolate;
  settings.isolation.program = ThisExecutable();
  settings.isolation.arguments = arguments;
  settings.isolation.root =
      std::filesystem::absolute(options.workerRoot.empty() ? DefaultWorkerRoot() : options.workerRoot).string();
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
