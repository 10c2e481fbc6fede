#pragma once
// Helpers shared by the test suites: scoped temporary directories, file
// reading and writing, and running code or programs in a child process with
// their output captured.

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "input_error.h"
#include "stop.h"

namespace testing_support {

// Expects `f` to throw an InputError whose message is exactly `message`.
template <typename F>
void ExpectInputError(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

// Expects `f` to throw a Stop of `style` whose message is exactly `message`.
template <typename F>
void ExpectStop(F&& f, StopStyle style, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no stop, expected: " << message;
  } catch (const Stop& e) {
    EXPECT_EQ(static_cast<int>(e.style()), static_cast<int>(style));
    EXPECT_EQ(std::string(e.what()), message);
  }
}

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes out of scope, even after a failure.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Makes `dir` the working directory until the object goes out of scope.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::filesystem::path& dir);
  ~ScopedWorkingDirectory();

 private:
  std::filesystem::path previous_;
};

void WriteFile(const std::filesystem::path& path, const std::string& text);
std::string ReadFile(const std::filesystem::path& path);

struct Outcome {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

#if !defined(_WIN32)
// Runs `body` in a forked child with standard output and error captured; the
// child exits 0 when `body` returns.
Outcome RunInChild(const std::function<void()>& body);
#else
// The path of the file `name` in the folder of the running test program.
std::string BesideThisProgram(const std::string& name);
#endif

// Runs `program` with `arguments` (already quoted as needed) in `dir`.
Outcome RunProgram(const std::filesystem::path& dir, const std::string& program,
                   const std::string& arguments = "");

// ensemble-runner's standard output without its elapsed-time line.
std::string WithoutElapsedTime(const std::string& out);

// Standard error without the warning of a lock taken over from a killed run.
std::string WithoutLockTakeover(const std::string& err);

// Copies the test model library into `dir` as "fluvex.dll".
void InstallModel(const std::filesystem::path& dir, const std::string& library);

}  // namespace testing_support
