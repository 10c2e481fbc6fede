// The pieces of run management that need no model: time limits, options,
// worker processes and the study's input record.

#include <filesystem>

#include <gtest/gtest.h>

#include "child_process.h"
#include "run_options.h"
#include "run_outcome.h"
#include "study_inputs.h"
#include "test_support.h"

namespace {

TEST(TimeLimit, AutoIsTenTimesTheMedianOfTheFirstTenRunsAndAtLeastTenSeconds) {
  RunPolicy fixed;
  fixed.timeLimit = 3;
  TimeLimit limit(fixed);
  EXPECT_EQ(limit.Seconds(), 3.0);
  RunPolicy automatic;
  automatic.autoTimeLimit = true;
  TimeLimit a(automatic);
  for (int i = 1; i <= 9; ++i) a.Record(i);
  EXPECT_EQ(a.Seconds(), 0.0);  // no limit before ten runs succeeded
  a.Record(10);
  EXPECT_EQ(a.Seconds(), 55.0);  // the median of 1 to 10 is 5.5
  a.Record(1000);                 // later runs do not move it
  EXPECT_EQ(a.Seconds(), 55.0);
  TimeLimit quick(automatic);
  for (int i = 0; i < 10; ++i) quick.Record(0.01);
  EXPECT_EQ(quick.Seconds(), 10.0);
}

TEST(RunOptions, RunTimeoutImpliesIsolationAndValuesAreChecked) {
  auto parse = [](std::vector<std::string> words, RunOptions& o, std::string& error) {
    std::vector<char*> argv = {const_cast<char*>("prog")};
    for (std::string& w : words) argv.push_back(&w[0]);
    return ParseRunOptions(static_cast<int>(argv.size()), argv.data(), ProgramKind::Oat, o, error);
  };
  RunOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--run-timeout", "2.5", "--retries", "3", "--on-failure", "skip", "--progress"}, o, error));
  EXPECT_TRUE(o.isolate);
  EXPECT_EQ(o.runTimeout, 2.5);
  EXPECT_EQ(o.retries, 3);
  EXPECT_TRUE(o.skipFailed);
  EXPECT_TRUE(o.progress);
  RunOptions a;
  ASSERT_TRUE(parse({"--run-timeout", "auto"}, a, error));
  EXPECT_TRUE(a.autoRunTimeout && a.isolate);
  RunOptions bad;
  EXPECT_FALSE(parse({"--run-timeout", "-1"}, bad, error));
  EXPECT_EQ(error, "--run-timeout needs a number of seconds above 0, or auto, found '-1'");
  EXPECT_NE(HelpText(ProgramKind::Oat).find("  --isolate "), std::string::npos);
  EXPECT_EQ(HelpText(ProgramKind::Oat).find("--serve-runs"), std::string::npos);  // the workers' own
}

#if !defined(_WIN32)
TEST(ChildProcess, TalksOverPipesAndTellsHowItEnded) {
  testing_support::ScopedTempDir dir;
  const std::string log = (dir / "err.log").string();
  ChildProcess cat = ChildProcess::Start("/bin/cat", {}, dir.path().string(), log);
  ASSERT_TRUE(cat.Write("hello"));
  std::string bytes;
  EXPECT_EQ(cat.Read(5, bytes, 5), 1);
  EXPECT_EQ(bytes, "hello");
  EXPECT_EQ(cat.Read(1, bytes, 0.05), -1);  // nothing more comes: the time runs out
  EXPECT_EQ(cat.Wait(), "exited with status 0");
  ChildProcess sleeper = ChildProcess::Start("/bin/sleep", {"30"}, dir.path().string(), log);
  EXPECT_EQ(sleeper.Kill(), "ended by signal 9 (killed)");
  ChildProcess failing = ChildProcess::Start("/bin/sh", {"-c", "echo oops >&2; exit 3"}, dir.path().string(), log);
  EXPECT_EQ(failing.Read(1, bytes, 5), 0);  // it ended without a word on its output
  EXPECT_EQ(failing.Wait(), "exited with status 3");
  EXPECT_EQ(testing_support::ReadFile(log), "oops\n");
}
#endif

// The listed files a run changes are the model's outputs, not inputs.
TEST(StudyInputs, ListedFilesThatTheFirstLocalRunChangesAreOutputs) {
  testing_support::ScopedTempDir dir;
  testing_support::ScopedWorkingDirectory cwd(dir.path());
  testing_support::WriteFile(dir / "list.txt", "rain.txt, runoff.txt basin.txt missing.txt\n");
  for (const char* name : {"rain.txt", "runoff.txt", "basin.txt"}) testing_support::WriteFile(dir / name, "1\n");
  StudyInputs inputs;
  inputs.AddListedFiles("list.txt", {"basin.txt"});
  ASSERT_EQ(inputs.entries().size(), 2u);
  inputs.BeforeLocalRun();
  testing_support::WriteFile(dir / "runoff.txt", "2\n");
  inputs.AfterLocalRun();
  ASSERT_EQ(inputs.entries().size(), 1u);
  EXPECT_EQ(inputs.entries()[0].name, "rain.txt");
  const std::vector<StudyInput> recorded = inputs.entries();
  EXPECT_EQ(StudyInputs::FirstChanged(recorded, inputs), "");
  testing_support::WriteFile(dir / "rain.txt", "3\n");
  EXPECT_EQ(StudyInputs::FirstChanged(recorded, inputs), "rain.txt");
}

}  // namespace
