#include "worker_folders.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

void CopyWorkingDirectory(const std::string& from, const std::string& to, const std::vector<std::string>& excluded,
                          const std::string& root) {
  std::error_code ignored;
  fs::remove_all(to, ignored);
  fs::create_directories(to);
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    // A temporary is no input: some file being written.
    bool skip = name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    for (const std::string& e : excluded) skip = skip || name == fs::path(e).filename().string();
    if (skip || fs::equivalent(entry.path(), root, ignored) || fs::equivalent(entry.path(), to, ignored)) continue;
    fs::copy(entry.path(), fs::path(to) / name, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
}

static std::string FailedFolderName(const std::string& root, size_t run, int attempt) {
  std::string name = "failed-run-" + std::to_string(run);
  if (attempt > 1) name += "-attempt-" + std::to_string(attempt);
  return (fs::path(root) / name).string();
}

std::string KeepFailedFolder(const std::string& folder, const std::string& root, size_t run, int attempt) {
  const std::string kept = FailedFolderName(root, run, attempt);
  RemoveFolder(kept);
  std::error_code error;
  for (int attempt = 0; attempt < 40; ++attempt) {
    fs::rename(folder, kept, error);
    if (!error) return kept;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return folder;
}

void RemoveFolder(const std::string& folder) {
  std::error_code error;
  for (int attempt = 0; attempt < 40; ++attempt) {
    fs::remove_all(folder, error);
    if (!error && !fs::exists(folder, error)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::string CopyFailedFolder(const std::string& folder, const std::string& root, size_t run, int attempt) {
  const std::string kept = FailedFolderName(root, run, attempt);
  std::error_code error;
  fs::remove_all(kept, error);
  fs::copy(folder, kept, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
  return error ? folder : kept;
}
