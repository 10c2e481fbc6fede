// The code that exists only on Windows, run under Wine: replacing a file
// whole (MoveFileEx), the working-directory lock (CreateFile), the loader's
// reason for a library it cannot load, and isolated runs in worker
// processes (CreateProcess, pipes) that crash or pass their time limit.

#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "directory_lock.h"
#include "ensemble/ensemble_fixture.h"
#include "model_library.h"
#include "pending_file.h"
#include "test_support.h"

namespace {

using namespace testing_support;

TEST(Windows, AFileIsReplacedWholeOrNotAtAll) {
  ScopedTempDir dir;
  const std::string target = (dir / "result.csv").string();
  WriteFile(target, "old\n");
  ASSERT_EQ(WriteFileReplacing(target, "new\n", "wb"), 0);
  EXPECT_EQ(ReadFile(target), "new\n");
  WriteFile(dir / "other.csv", "other\n");
  ASSERT_EQ(RenameReplacing((dir / "other.csv").string(), target), 0);
  EXPECT_EQ(ReadFile(target), "other\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "other.csv"));
  {
    PendingFile never(target, "wb");
    never.Write("half a file");
  }  // never installed: the old file stays and no temporary is left
  EXPECT_EQ(ReadFile(target), "other\n");
  EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
}

TEST(Windows, ASecondProgramIsRefusedWhileTheFirstHoldsTheLock) {
  EnsembleFixture f({1, 2, 3});
  {
    ScopedWorkingDirectory here(f.dir.path());
    DirectoryLock lock("oat-sensitivity");
    const Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("toolkit.lock: working directory is in use by oat-sensitivity"), std::string::npos) << o.err;
  }
  EXPECT_FALSE(std::filesystem::exists(f.dir / "toolkit.lock"));
  const Outcome after = f.Run();
  EXPECT_EQ(after.status, 0) << after.err;
}

TEST(Windows, TheLoaderSaysWhyALibraryCannotBeLoaded) {
  ScopedTempDir dir;
  WriteFile(dir / "fluvex.dll", "not a library");
  ModelLibrary library;
  EXPECT_FALSE(library.Load((dir / "fluvex.dll").string()));
  EXPECT_FALSE(library.LoadError().empty());
  EXPECT_EQ(library.LoadError().find('\n'), std::string::npos);
  EnsembleFixture f({1, 2});
  f.Write("fluvex.dll", "not a library");
  const Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find(library.LoadError()), std::string::npos) << o.err;
}

TEST(Windows, AnIsolatedRunThatCrashesFailsAndTheStudyGoesOn) {
  EnsembleFixture f({1, 2, 3, 1.5, 0.5});
  f.Write("test_model_faults.txt", "factor=2 crash\n");
  const Outcome o = f.Run("--isolate --on-failure skip --worker-root w run.txt");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(f.Read("failed_runs.csv").find("\n2,2,1,"), std::string::npos) << f.Read("failed_runs.csv");
  EXPECT_TRUE(std::filesystem::exists(f.dir / "w" / "failed-run-2"));
  EXPECT_NE(f.Read("runs.csv").find("\n5,5,"), std::string::npos);
}

TEST(Windows, ARunPastItsTimeLimitIsEnded) {
  EnsembleFixture f({1, 2, 3});
  f.Write("test_model_faults.txt", "factor=2 hang\n");
  const auto start = std::chrono::steady_clock::now();
  const Outcome o = f.Run("--run-timeout 2 --on-failure skip --worker-root w run.txt");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_LT(seconds, 60);
  EXPECT_NE(f.Read("failed_runs.csv").find("\n2,2,1,took longer than the time limit of 2 s"), std::string::npos)
      << f.Read("failed_runs.csv");
}

}  // namespace
