#pragma once
// A child process that the program talks to over two anonymous pipes (its
// standard input and output), with its standard error going to a file: the
// worker of an isolated model run. All platform calls for processes and
// pipes live in child_process.cpp (posix_spawn on POSIX, CreateProcess on
// Windows). The handle is move-only; destroying it kills a child that still runs.

#include <string>
#include <vector>

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `arguments` for `folder` (on Windows it starts
  // there; elsewhere the program enters the folder its arguments name), its
  // standard error appended to the file `errorLog`. Throws
  // std::runtime_error when it cannot start.
  static ChildProcess Start(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& folder, const std::string& errorLog);

  bool Running() const { return started_; }
  // Writes all of `bytes` to the child's standard input; false when it is gone.
  bool Write(const std::string& bytes);
  // Reads exactly `count` bytes from the child's standard output into
  // `bytes`, waiting at most `seconds` (< 0: for ever). 1 read, 0 the child
  // closed its output (it ended), -1 the time ran out.
  int Read(size_t count, std::string& bytes, double seconds);
  // Kills the child and collects it; a description of how it ended.
  std::string Kill();
  // Waits for the child to end after its input was closed; how it ended.
  std::string Wait();

 private:
  void Reset();
  bool started_ = false;
#if defined(_WIN32)
  void* process_ = nullptr;
  void* input_ = nullptr;   // our end of its standard input
  void* output_ = nullptr;  // our end of its standard output
#else
  long pid_ = 0;
  int input_ = -1;
  int output_ = -1;
#endif
};

// The path of this program's executable, for starting copies of it.
std::string ThisExecutable();

// In a worker started by ChildProcess: the protocol's two streams are moved
// off standard input and output, which then go to `log` (standard input from
// nowhere), so that what a model prints never mixes with the protocol.
struct WorkerStreams {
  int input = -1;
  int output = -1;
};
WorkerStreams TakeWorkerStreams(const std::string& log);

// Raw reading and writing of the worker's protocol streams; false at the end.
bool ReadExactly(int fd, void* data, size_t count);
bool WriteExactly(int fd, const void* data, size_t count);
