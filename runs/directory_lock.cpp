#include "directory_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "stop.h"
#include "text.h"

const char* const kLockFileName = "toolkit.lock";

namespace {

struct LockHolder {
  std::string program, host;
  long pid = 0;
};

LockHolder ParseHolder(const std::string& text) {
  LockHolder holder;
  char program[256] = "", host[256] = "";
  if (std::sscanf(text.c_str(), "%255s %ld %255s", program, &holder.pid, host) == 3) {
    holder.program = program;
    holder.host = host;
  }
  return holder;
}

[[noreturn]] void RefuseLock(const std::string& path, const LockHolder& holder) {
  std::string who = holder.program.empty() ? std::string("another program")
                                           : holder.program + " (process " + std::to_string(holder.pid) + " on " +
                                                 holder.host + ")";
  throw Stop(StopStyle::Plain, path + ": working directory is in use by " + who +
                                   "; remove the lock file if that process no longer runs\n");
}

#if defined(_WIN32)
long ThisProcess() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessRuns(long pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return runs;
}

// Read with every sharing mode: the holder keeps the file open.
std::string ReadLockFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "";
  char buffer[600];
  DWORD got = 0;
  std::string text;
  if (ReadFile(h, buffer, sizeof buffer - 1, &got, nullptr)) text.assign(buffer, got);
  CloseHandle(h);
  return text;
}

// The lock file created only when it is not there, open without write
// sharing and deleted when closed, also when the process ends by a crash.
void* CreateLockFile(const std::string& path, const std::string& content, bool& exists) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    exists = error == ERROR_FILE_EXISTS || error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
    if (!exists) throw Stop(StopStyle::Plain, path + ": the lock file cannot be created\n");
    return nullptr;
  }
  DWORD written = 0;
  WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  return h;
}

void ReleaseLockFile(const std::string&, void* handle) {
  if (handle) CloseHandle(static_cast<HANDLE>(handle));
}
#else
long ThisProcess() { return static_cast<long>(getpid()); }

// A process that has ended but not yet been reaped (a zombie) no longer runs.
bool IsZombie(long pid) {
  std::string stat;
  if (!ReadFileText("/proc/" + std::to_string(pid) + "/stat", stat)) return false;
  size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

bool ProcessRuns(long pid) {
  return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) && !IsZombie(pid);
}

std::string ReadLockFile(const std::string& path) {
  std::string text;
  ReadFileText(path, text);
  return text;
}

void* CreateLockFile(const std::string& path, const std::string& content, bool& exists) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) {
    exists = errno == EEXIST;
    if (!exists)
      throw Stop(StopStyle::Plain, path + ": the lock file cannot be created (" + std::strerror(errno) + ")\n");
    return nullptr;
  }
  ssize_t written = write(fd, content.data(), content.size());
  close(fd);
  if (written != static_cast<ssize_t>(content.size())) {
    unlink(path.c_str());
    throw Stop(StopStyle::Plain, path + ": the lock file cannot be written\n");
  }
  return reinterpret_cast<void*>(1);
}

void ReleaseLockFile(const std::string& path, void* handle) {
  if (handle) unlink(path.c_str());
}
#endif

}  // namespace

std::string HostName() {
#if defined(_WIN32)
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) return std::string(name, size);
#else
  char name[256] = "";
  if (gethostname(name, sizeof name - 1) == 0 && name[0] != '\0') return name;
#endif
  return "localhost";
}

DirectoryLock::DirectoryLock(const std::string& program) {
  path_ = (std::filesystem::current_path() / kLockFileName).string();
  const std::string host = HostName();
  const std::string content = program + " " + std::to_string(ThisProcess()) + " " + host + "\n";
  for (int attempt = 0; attempt < 2; ++attempt) {
    bool exists = false;
    handle_ = CreateLockFile(path_, content, exists);
    if (handle_) return;
    LockHolder holder = ParseHolder(ReadLockFile(path_));
    if (attempt > 0 || holder.program.empty() || holder.host != host || ProcessRuns(holder.pid))
      RefuseLock(path_, holder);
    std::fprintf(stderr, "warning: %s: taking over the lock of %s (process %ld on %s), which no longer runs\n",
                 path_.c_str(), holder.program.c_str(), holder.pid, holder.host.c_str());
    std::remove(path_.c_str());
  }
  RefuseLock(path_, ParseHolder(ReadLockFile(path_)));
}

DirectoryLock::~DirectoryLock() { ReleaseLockFile(path_, handle_); }
