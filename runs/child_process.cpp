#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <thread>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

ChildProcess::~ChildProcess() {
  if (started_) Kill();
  Reset();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (started_) Kill();
    Reset();
    started_ = std::exchange(other.started_, false);
#if defined(_WIN32)
    process_ = std::exchange(other.process_, nullptr);
    input_ = std::exchange(other.input_, nullptr);
    output_ = std::exchange(other.output_, nullptr);
#else
    pid_ = std::exchange(other.pid_, 0);
    input_ = std::exchange(other.input_, -1);
    output_ = std::exchange(other.output_, -1);
#endif
  }
  return *this;
}

#if defined(_WIN32)

namespace {

// One argument quoted the way the C runtime splits a command line.
std::string Quote(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
    else quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::string ExitText(DWORD code) {
  if (code == 0xC0000005) return "ended by an access violation (a crash)";
  if (code >= 0xC0000000) {
    char text[64];
    std::snprintf(text, sizeof text, "ended by exception 0x%08lX (a crash)", static_cast<unsigned long>(code));
    return text;
  }
  return "exited with status " + std::to_string(code);
}

}  // namespace

void ChildProcess::Reset() {
  for (void** h : {&input_, &output_, &process_})
    if (*h) CloseHandle(static_cast<HANDLE>(std::exchange(*h, nullptr)));
  started_ = false;
}

ChildProcess ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& folder, const std::string& errorLog) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
  if (!CreatePipe(&inRead, &inWrite, &inherit, 0) || !CreatePipe(&outRead, &outWrite, &inherit, 0))
    throw std::runtime_error("cannot create the pipes of a worker process");
  SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE error = CreateFileA(errorLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Only the three standard handles go to the child: an inherited handle of
  // a file this program writes would keep the file from being renamed.
  HANDLE inherited[3] = {inRead, outWrite, error != INVALID_HANDLE_VALUE ? error : outWrite};
  const DWORD inheritedCount = error != INVALID_HANDLE_VALUE ? 3 : 2;
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributeBytes(size);
  auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBytes.data());
  bool listed = InitializeProcThreadAttributeList(attributes, 1, 0, &size) &&
                UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                          inheritedCount * sizeof(HANDLE), nullptr, nullptr);
  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = listed ? sizeof startup : sizeof startup.StartupInfo;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = inRead;
  startup.StartupInfo.hStdOutput = outWrite;
  startup.StartupInfo.hStdError = inherited[2];
  if (listed) startup.lpAttributeList = attributes;
  std::string line = Quote(program);
  for (const std::string& a : arguments) line += " " + Quote(a);
  PROCESS_INFORMATION info{};
  BOOL ok = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE,
                           CREATE_NO_WINDOW | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0), nullptr, folder.c_str(),
                           &startup.StartupInfo, &info);
  if (listed) DeleteProcThreadAttributeList(attributes);
  CloseHandle(inRead);
  CloseHandle(outWrite);
  if (error != INVALID_HANDLE_VALUE) CloseHandle(error);
  if (!ok) {
    CloseHandle(inWrite);
    CloseHandle(outRead);
    throw std::runtime_error("cannot start a worker process: " + program);
  }
  CloseHandle(info.hThread);
  ChildProcess child;
  child.process_ = info.hProcess;
  child.input_ = inWrite;
  child.output_ = outRead;
  child.started_ = true;
  return child;
}

bool ChildProcess::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(input_), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                   &written, nullptr))
      return false;
    done += written;
  }
  return true;
}

int ChildProcess::Read(size_t count, std::string& bytes, double seconds) {
  bytes.clear();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  char buffer[65536];
  while (bytes.size() < count) {
    DWORD available = 0;
    if (!PeekNamedPipe(static_cast<HANDLE>(output_), nullptr, 0, nullptr, &available, nullptr)) return 0;
    if (available == 0) {
      if (seconds >= 0 && std::chrono::steady_clock::now() >= deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    DWORD want = static_cast<DWORD>(std::min<size_t>({count - bytes.size(), sizeof buffer, static_cast<size_t>(available)}));
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(output_), buffer, want, &got, nullptr) || got == 0) return 0;
    bytes.append(buffer, got);
  }
  return 1;
}

std::string ChildProcess::Kill() {
  if (!started_) return "";
  TerminateProcess(static_cast<HANDLE>(process_), 1);
  return Wait();
}

std::string ChildProcess::Wait() {
  if (!started_) return "";
  if (input_) CloseHandle(static_cast<HANDLE>(std::exchange(input_, nullptr)));
  WaitForSingleObject(static_cast<HANDLE>(process_), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
  Reset();
  return ExitText(code);
}

std::string ThisExecutable() {
  std::string path(MAX_PATH, '\0');
  DWORD n = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

WorkerStreams TakeWorkerStreams(const std::string& log) {
  WorkerStreams streams;
  std::fflush(stdout);
  streams.input = _dup(_fileno(stdin));
  streams.output = _dup(_fileno(stdout));
  _setmode(streams.input, _O_BINARY);
  _setmode(streams.output, _O_BINARY);
  if (!std::freopen(log.c_str(), "a", stdout)) throw std::runtime_error(log + ": cannot be created");
  _dup2(_fileno(stdout), _fileno(stderr));
  std::freopen("NUL", "r", stdin);
  return streams;
}

bool ReadExactly(int fd, void* data, size_t count) {
  char* p = static_cast<char*>(data);
  while (count > 0) {
    int got = _read(fd, p, static_cast<unsigned>(count));
    if (got <= 0) return false;
    p += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteExactly(int fd, const void* data, size_t count) {
  const char* p = static_cast<const char*>(data);
  while (count > 0) {
    int put = _write(fd, p, static_cast<unsigned>(count));
    if (put <= 0) return false;
    p += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

#else

namespace {

std::string StatusText(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* what = signal == SIGSEGV ? " (a crash)" : signal == SIGABRT ? " (an abort)" : signal == SIGKILL ? " (killed)" : "";
    return "ended by signal " + std::to_string(signal) + what;
  }
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  return "ended";
}

}  // namespace

void ChildProcess::Reset() {
  if (input_ >= 0) close(std::exchange(input_, -1));
  if (output_ >= 0) close(std::exchange(output_, -1));
  started_ = false;
  pid_ = 0;
}

ChildProcess ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string&, const std::string& errorLog) {
  // The child enters its folder itself: posix_spawn has no portable way to.
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0) throw std::runtime_error("cannot create the pipes of a worker process");
  if (pipe(fromChild) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    throw std::runtime_error("cannot create the pipes of a worker process");
  }
  // Our ends must not leak into the child (nor into later children).
  fcntl(toChild[1], F_SETFD, FD_CLOEXEC);
  fcntl(fromChild[0], F_SETFD, FD_CLOEXEC);
  int error = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
  if (error >= 0) posix_spawn_file_actions_adddup2(&actions, error, 2);
  std::vector<std::string> all = {program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  if (error >= 0) close(error);
  if (failed != 0) {
    close(toChild[1]);
    close(fromChild[0]);
    throw std::runtime_error("cannot start a worker process " + program + " (" + std::strerror(failed) + ")");
  }
  ChildProcess child;
  child.pid_ = pid;
  child.input_ = toChild[1];
  child.output_ = fromChild[0];
  child.started_ = true;
  return child;
}

bool ChildProcess::Write(const std::string& bytes) {
  // A child that is gone must not end this process with SIGPIPE.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  const bool ok = WriteExactly(input_, bytes.data(), bytes.size());
  sigaction(SIGPIPE, &previous, nullptr);
  return ok;
}

int ChildProcess::Read(size_t count, std::string& bytes, double seconds) {
  // Straight into the caller's buffer, which keeps its storage from one call to the next.
  bytes.resize(count);
  size_t done = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (done < count) {
    int wait = -1;
    if (seconds >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return -1;
      wait = static_cast<int>(std::min<long long>(left.count(), 1000000));
    }
    pollfd watch{output_, POLLIN, 0};
    int ready = poll(&watch, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) continue;  // the loop checks the deadline
    ssize_t got = read(output_, &bytes[done], count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 0;
    done += static_cast<size_t>(got);
  }
  return 1;
}

std::string ChildProcess::Kill() {
  if (!started_) return "";
  kill(static_cast<pid_t>(pid_), SIGKILL);
  return Wait();
}

std::string ChildProcess::Wait() {
  if (!started_) return "";
  if (input_ >= 0) close(std::exchange(input_, -1));
  int status = 0;
  while (waitpid(static_cast<pid_t>(pid_), &status, 0) < 0 && errno == EINTR) {
  }
  Reset();
  return StatusText(status);
}

std::string ThisExecutable() {
  std::vector<char> path(4096);
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  return n > 0 ? std::string(path.data(), static_cast<size_t>(n)) : std::string();
}

WorkerStreams TakeWorkerStreams(const std::string& log) {
  WorkerStreams streams;
  std::fflush(stdout);
  streams.input = fcntl(0, F_DUPFD_CLOEXEC, 3);
  streams.output = fcntl(1, F_DUPFD_CLOEXEC, 3);
  int file = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (file < 0) throw std::runtime_error(log + ": cannot be created");
  dup2(file, 1);
  dup2(file, 2);
  close(file);
  int null = open("/dev/null", O_RDONLY);
  if (null >= 0) {
    dup2(null, 0);
    close(null);
  }
  return streams;
}

bool ReadExactly(int fd, void* data, size_t count) {
  char* p = static_cast<char*>(data);
  while (count > 0) {
    ssize_t got = read(fd, p, count);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteExactly(int fd, const void* data, size_t count) {
  const char* p = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t put = write(fd, p, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

#endif
