// Checkpoints of ensemble-runner: a killed run resumed gives the files of an
// uninterrupted one; a checkpoint of other inputs is refused.

#include <gtest/gtest.h>

#include "ensemble_fixture.h"

namespace {

using testing_support::Outcome;

const std::vector<double> kSets = {1.5, 0.5, 1.2, 2.0, 0.9};

TEST(EnsembleResume, AKilledRunResumesToTheSameFiles) {
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  EXPECT_EQ(whole.Read("ensemble-runner.checkpoint"), "<missing ensemble-runner.checkpoint>");

  EnsembleFixture killed(kSets);
  killed.Write("abort_after_runs", "3");
  Outcome first = killed.Run();
  EXPECT_NE(first.status, 0);
  EXPECT_NE(killed.Read("ensemble-runner.checkpoint").find("completed 3\n"), std::string::npos);
  EXPECT_EQ(killed.Read("ensemble-runner.checkpoint.rows").size(), 3 * 22 * sizeof(double));  // 2 fluxes + 20
  std::filesystem::remove(killed.dir / "abort_after_runs");
  Outcome resumed = killed.Run("--resume run.txt");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  // The killed run left its lock; this process is gone, so the lock is taken over.
  EXPECT_NE(resumed.err.find("toolkit.lock: taking over the lock of ensemble-runner (process "), std::string::npos);
  EXPECT_EQ(testing_support::WithoutLockTakeover(resumed.err), "");
  EXPECT_FALSE(std::filesystem::exists(killed.dir / "toolkit.lock"));
  EXPECT_EQ(resumed.out.find("    3   of      5  runs:"), std::string::npos);
  EXPECT_NE(resumed.out.find("    4   of      5  runs:"), std::string::npos);
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"})
    EXPECT_EQ(killed.Read(name), whole.Read(name)) << name;
  EXPECT_EQ(killed.Read("ensemble-runner.checkpoint"), "<missing ensemble-runner.checkpoint>");
  EXPECT_EQ(killed.Read("ensemble-runner.checkpoint.rows"), "<missing ensemble-runner.checkpoint.rows>");
  // Three runs were made and the fourth was killed; the resumed study made runs 4 and 5 and the final run.
  EXPECT_EQ(killed.Read("routing_calls"), "7");
}

// A write that fails (a full disk: /dev/full here) stops the run with the file
// named, whether it is a result, a model input or the checkpoint; every file is
// written under a temporary name, so the previous one is kept. The checkpoint
// outlives a failed result file and holds the final run's flows, so --resume
// only writes the results, without any model run.
TEST(EnsembleResume, AFailedWriteNamesTheFileKeepsTheOldOneAndTheRunResumes) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  for (const char* name : {"bounds.csv", "basin.txt", "whichModel.txt", "ensemble-runner.checkpoint"}) {
    EnsembleFixture f(kSets);
    f.Write("bounds.csv", "old bounds\n");
    const std::string choice = f.Read("whichModel.txt");
    std::filesystem::create_symlink("/dev/full", f.dir / (std::string(name) + ".tmp"));
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1) << name;
    EXPECT_NE(o.err.find(std::string("Can not write file: ") + name +
                         " (No space left on device)\n\n...now exiting to system...\n"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(f.Read("bounds.csv"), "old bounds\n") << name;
    if (std::string(name) == "whichModel.txt") {
      EXPECT_EQ(f.Read("whichModel.txt"), choice);
    }
    EXPECT_FALSE(std::filesystem::exists(f.dir / "toolkit.lock")) << name;
  }
  EnsembleFixture f(kSets);
  std::filesystem::create_symlink("/dev/full", f.dir / "bounds.csv.tmp");
  ASSERT_EQ(f.Run().status, 1);
  EXPECT_NE(f.Read("ensemble-runner.checkpoint").find("completed 5\n"), std::string::npos);
  EXPECT_EQ(f.Read("series.csv"), "<missing series.csv>");  // none of the three is installed alone
  std::filesystem::remove(f.dir / "bounds.csv.tmp");
  std::filesystem::remove(f.dir / "model_calls.log");
  Outcome resumed = f.Run("--resume run.txt");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(resumed.out.find("   of      5  runs:"), std::string::npos);
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");  // not even the final run
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"}) EXPECT_EQ(f.Read(name), whole.Read(name)) << name;
  auto finalPart = [](const std::string& out) {
    std::string text = testing_support::WithoutElapsedTime(out);
    return text.substr(text.find("###### Make a single"));
  };
  EXPECT_EQ(finalPart(resumed.out), finalPart(whole.Run().out));
}

TEST(EnsembleResume, WithoutACheckpointResumeStartsAtRunOne) {
  EnsembleFixture f(kSets);
  Outcome o = f.Run("--resume run.txt");
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "ensemble-runner: no checkpoint ensemble-runner.checkpoint; starting at run 1\n");
  EXPECT_NE(o.out.find("    1   of      5  runs:"), std::string::npos);
}

// Any input a run reads refuses an old checkpoint when it changed, named.
TEST(EnsembleResume, ACheckpointOfOtherInputsIsRefusedWithTheChangedFileNamed) {
  EnsembleFixture f(kSets);
  f.Write("balfiles.txt", "bal.txt\nbasin.txt\nrain.txt\nrunoff.txt\n");
  f.Write("routfiles.txt", "bal.txt\nriver.txt\nrunoff.txt\nstreamflow.txt\n");
  f.Write("rain.txt", "day,1\n1,3.5\n");
  f.Write("runoff.txt", "written by every run\n");
  f.Write("abort_after_runs", "2");
  f.Run();
  std::filesystem::remove(f.dir / "abort_after_runs");
  auto refusal = [](const std::string& name) {
    return "ensemble-runner.checkpoint: made for other inputs: " + name +
           " has changed since; remove the checkpoint or run without --resume\n";
  };
  const std::pair<const char*, std::string> changes[] = {
      {"sets.csv", f.Read("sets.csv") + "\n"},
      {"rain.txt", "day,1\n1,3.6\n"},  // a model input that only a list file names
      {"run.txt", f.Read("run.txt") + " "},
      {"table.in", f.Read("table.in") + "\n"},
      {"fluvex.dll", f.Read("fluvex.dll") + "x"}};
  for (const auto& [name, text] : changes) {
    const std::string before = f.Read(name);
    f.Write(name, text);
    Outcome o = f.Run("--resume run.txt");
    EXPECT_EQ(o.status, 1) << name;
    EXPECT_EQ(testing_support::WithoutLockTakeover(o.err), refusal(name));
    f.Write(name, before);
  }
  // The model choice counts by what it chooses: another choice is another study.
  f.Write("whichModel.txt", "Model Index\n2\n3\n");
  EXPECT_EQ(testing_support::WithoutLockTakeover(f.Run("--resume run.txt").err),
            "ensemble-runner.checkpoint: made for other inputs: the model choice of whichModel.txt has changed "
            "since; remove the checkpoint or run without --resume\n");
  f.Write("whichModel.txt", "Model Index\n1\n3\n");
  // What a run writes is no input: runoff.txt changed in every run, and the resume goes on.
  Outcome resumed = f.Run("--resume run.txt");
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_NE(resumed.out.find("    3   of      5  runs:"), std::string::npos);
  // Without --resume the old checkpoint is replaced and the run starts anew.
  f.Write("abort_after_runs", "2");
  f.Write("routing_calls", "0");
  f.Run();
  std::filesystem::remove(f.dir / "abort_after_runs");
  f.Write("sets.csv", f.Read("sets.csv") + "\n");
  Outcome fresh = f.Run();
  EXPECT_EQ(fresh.status, 0);
  EXPECT_NE(fresh.out.find("    1   of      5  runs:"), std::string::npos);
}

}  // namespace
