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
  EXPECT_EQ(resumed.err, "");
  EXPECT_EQ(resumed.out.find("    3   of      5  runs:"), std::string::npos);
  EXPECT_NE(resumed.out.find("    4   of      5  runs:"), std::string::npos);
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"})
    EXPECT_EQ(killed.Read(name), whole.Read(name)) << name;
  EXPECT_EQ(killed.Read("ensemble-runner.checkpoint"), "<missing ensemble-runner.checkpoint>");
  EXPECT_EQ(killed.Read("ensemble-runner.checkpoint.rows"), "<missing ensemble-runner.checkpoint.rows>");
  // Three runs were made, the fourth was killed; later calls are no longer counted.
  EXPECT_EQ(killed.Read("routing_calls"), "4");
}

// A write that fails (a full disk: /dev/full here) stops the run with the file
// named, whether it is a result, a model input or the checkpoint. The
// checkpoint outlives a failed result file, so --resume only finishes the job.
TEST(EnsembleResume, AFailedWriteNamesTheFileAndTheRunResumes) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  for (const char* name : {"bounds.csv", "basin.txt", "ensemble-runner.checkpoint.tmp"}) {
    EnsembleFixture f(kSets);
    std::filesystem::create_symlink("/dev/full", f.dir / name);
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1) << name;
    EXPECT_EQ(o.err, std::string("Can not write file: ") + name +
                         " (No space left on device)\n\n...now exiting to system...\n");
  }
  EnsembleFixture f(kSets);
  std::filesystem::create_symlink("/dev/full", f.dir / "bounds.csv");
  ASSERT_EQ(f.Run().status, 1);
  EXPECT_NE(f.Read("ensemble-runner.checkpoint").find("completed 5\n"), std::string::npos);
  std::filesystem::remove(f.dir / "bounds.csv");
  Outcome resumed = f.Run("--resume run.txt");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(resumed.out.find("   of      5  runs:"), std::string::npos);
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"})
    EXPECT_EQ(f.Read(name), whole.Read(name)) << name;
}

TEST(EnsembleResume, WithoutACheckpointResumeStartsAtRunOne) {
  EnsembleFixture f(kSets);
  Outcome o = f.Run("--resume run.txt");
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "ensemble-runner: no checkpoint ensemble-runner.checkpoint; starting at run 1\n");
  EXPECT_NE(o.out.find("    1   of      5  runs:"), std::string::npos);
}

TEST(EnsembleResume, ACheckpointOfOtherInputsIsRefused) {
  EnsembleFixture f(kSets);
  f.Write("abort_after_runs", "2");
  f.Run();
  std::filesystem::remove(f.dir / "abort_after_runs");
  f.Write("sets.csv", f.Read("sets.csv") + "\n");  // any change of an input
  Outcome o = f.Run("--resume run.txt");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err,
            "ensemble-runner.checkpoint: made for other inputs (its fingerprint does not match them); "
            "remove it or run without --resume\n");
  // Without --resume the old checkpoint is replaced and the run starts anew.
  Outcome fresh = f.Run();
  EXPECT_EQ(fresh.status, 0);
  EXPECT_NE(fresh.out.find("    1   of      5  runs:"), std::string::npos);
}

}  // namespace
