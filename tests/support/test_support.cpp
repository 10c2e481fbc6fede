#include "test_support.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

ScopedTempDir::ScopedTempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("toolkit-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary directory");
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const fs::path& dir) : previous_(fs::current_path()) {
  fs::current_path(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing " + path.filename().string() + ">";
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

#if defined(_WIN32)
// Through cmd.exe: the line starts with "cd", so cmd keeps the quotes that follow.
Outcome RunProgram(const fs::path& dir, const std::string& program, const std::string& arguments) {
  fs::path out = dir / ".stdout", err = dir / ".stderr";
  std::string command = "cd /d \"" + dir.string() + "\" && \"" + program + "\" " + arguments + " > \"" +
                        out.string() + "\" 2> \"" + err.string() + "\" < NUL";
  int status = std::system(command.c_str());
  Outcome outcome{status, ReadFile(out), ReadFile(err)};
  fs::remove(out);
  fs::remove(err);
  return outcome;
}

std::string BesideThisProgram(const std::string& name) {
  std::string path(MAX_PATH, '\0');
  path.resize(GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return (fs::path(path).parent_path() / name).string();
}
#else
static int StatusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }

Outcome RunInChild(const std::function<void()>& body) {
  char outName[] = "/tmp/toolkit-out-XXXXXX";
  char errName[] = "/tmp/toolkit-err-XXXXXX";
  int outFd = mkstemp(outName), errFd = mkstemp(errName);
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(outFd, 1);
    dup2(errFd, 2);
    body();
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(0);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  close(outFd);
  close(errFd);
  Outcome outcome{StatusOf(raw), ReadFile(outName), ReadFile(errName)};
  unlink(outName);
  unlink(errName);
  return outcome;
}

Outcome RunProgram(const fs::path& dir, const std::string& program, const std::string& arguments) {
  fs::path out = dir / ".stdout", err = dir / ".stderr";
  std::string command = "cd '" + dir.string() + "' && '" + program + "' " + arguments + " > '" +
                        out.string() + "' 2> '" + err.string() + "' < /dev/null";
  int raw = std::system(command.c_str());
  Outcome outcome{StatusOf(raw), ReadFile(out), ReadFile(err)};
  fs::remove(out);
  fs::remove(err);
  return outcome;
}

#endif

std::string WithoutElapsedTime(const std::string& out) {
  size_t at = out.find("\nCompleted in ");
  return at == std::string::npos ? out : out.substr(0, at) + out.substr(out.find('\n', at + 1));
}

std::string WithoutLockTakeover(const std::string& err) {
  size_t at = err.find("toolkit.lock: taking over the lock of ");
  if (at == std::string::npos) return err;
  size_t start = err.rfind("warning: ", at);
  size_t end = err.find('\n', at);
  return err.substr(0, start) + err.substr(end + 1);
}

void InstallModel(const fs::path& dir, const std::string& library) {
  fs::copy_file(library, dir / "fluvex.dll", fs::copy_options::overwrite_existing);
}

}  // namespace testing_support
