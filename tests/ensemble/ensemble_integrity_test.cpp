// ensemble-runner under faults and ordinary mistakes: no wrong result with
// exit status 0, no lost file, messages that name the right thing.

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "directory_lock.h"
#include "ensemble_fixture.h"

namespace {

using testing_support::Outcome;
using testing_support::WithoutLockTakeover;
namespace fs = std::filesystem;

const std::vector<double> kSets = {1.5, 0.5, 1.2};
const std::string kSetTwo = "0.5, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1";

void ExpectNoResults(const EnsembleFixture& f) {
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"})
    EXPECT_FALSE(fs::exists(f.dir / name)) << name;
}

TEST(EnsembleIntegrity, ANonZeroModelStatusStopsWithTheRunSetEntryPointAndStatus) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "call=2 status 3\n");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "test model: failing with status 3\nensemble-runner: run 2 (parameter set " + kSetTwo +
                       ") failed: model entry point LAGROUTE returned status 3\n");
  ExpectNoResults(f);
  // A failed balance stage: routing never runs on what it left.
  EnsembleFixture b(kSets);
  b.Write("test_model_faults.txt", "call=2 balance-status 4\n");
  Outcome ob = b.Run();
  EXPECT_EQ(ob.status, 1);
  EXPECT_NE(ob.err.find("failed: model entry point ONELAYERBALANCE returned status 4\n"), std::string::npos);
  EXPECT_EQ(b.Read("model_calls.log"), "ONELAYERBALANCE\nLAGROUTE\nONELAYERBALANCE\n");
  // The final run is named as such.
  EnsembleFixture last(kSets);
  last.Write("test_model_faults.txt", "call=4 status 2\n");
  EXPECT_NE(last.Run().err.find("ensemble-runner: the final run (parameter set " + kSetTwo + ") failed: "), std::string::npos);
}

TEST(EnsembleIntegrity, FlowsThatAreNoNumbersStopWithFileLineColumnAndRun) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "call=2 garbage\n");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "ensemble-runner: run 2 (parameter set " + kSetTwo +
                       ") failed: streamflow.txt:2: column 1: expected a number or a missing value, found "
                       "'#garbage#'\n");
  ExpectNoResults(f);
}

// A second program in the same folder is refused at once; a lock left by a
// process of this host that no longer runs is taken over with a warning.
TEST(EnsembleIntegrity, TheWorkingDirectoryIsLockedForTheWholeRun) {
  EnsembleFixture f(kSets);
  const std::string lock = (f.dir / "toolkit.lock").string();
  f.Write("toolkit.lock", "oat-sensitivity " + std::to_string(getpid()) + " " + HostName() + "\n");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, lock + ": working directory is in use by oat-sensitivity (process " + std::to_string(getpid()) +
                       " on " + HostName() + "); remove the lock file if that process no longer runs\n");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
  f.Write("toolkit.lock", "oat-sensitivity 1 another-host\n");  // whether it runs cannot be told from here
  EXPECT_EQ(f.Run().status, 1);
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  f.Write("toolkit.lock", "ensemble-runner " + std::to_string(gone) + " " + HostName() + "\n");
  Outcome taken = f.Run();
  EXPECT_EQ(taken.status, 0) << taken.err;
  EXPECT_EQ(taken.err, "warning: " + lock + ": taking over the lock of ensemble-runner (process " +
                           std::to_string(gone) + " on " + HostName() + "), which no longer runs\n");
  EXPECT_FALSE(fs::exists(lock));
}

TEST(EnsembleIntegrity, TheLockIsHeldWhileTheRunsGoOn) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "call=1 sleep 1500\n");
  pid_t first = fork();
  if (first == 0) {
    testing_support::RunProgram(f.dir.path(), ENSEMBLE_RUNNER_PATH, "run.txt");
    _exit(0);
  }
  for (int i = 0; i < 100 && !fs::exists(f.dir / "toolkit.lock"); ++i) usleep(10000);
  Outcome second = testing_support::RunProgram(f.dir.path(), OAT_SENSITIVITY_PATH);
  waitpid(first, nullptr, 0);
  EXPECT_EQ(second.status, 1);
  EXPECT_NE(second.err.find(": working directory is in use by ensemble-runner (process "), std::string::npos)
      << second.err;
  EXPECT_FALSE(fs::exists(f.dir / "OAT.txt"));
  EXPECT_TRUE(fs::exists(f.dir / "series.csv"));
}

TEST(EnsembleIntegrity, AParameterTableThatScalesNothingIsRefusedOrSaid) {
  EnsembleFixture f(kSets);
  const std::string table = f.Read("table.in");
  f.Write("table.in", table.substr(0, table.rfind("\n20,") + 1));
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "table.in:21: expected 20 parameter rows, found 19\n");
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
  std::string none = table;
  none.replace(none.find("1,SoilWhc,1,0.5,2,1,"), 20, "1,SoilWhc,1,0.5,2,0,");
  f.Write("table.in", none);
  Outcome warned = f.Run();
  EXPECT_EQ(warned.status, 0);
  EXPECT_EQ(warned.err, "table.in: no parameter is flagged adjustable; every run will use the source values\n");
}

TEST(EnsembleIntegrity, SettingsThatAreNoWholeNumbersAreRefused) {
  EnsembleFixture f(kSets);
  const std::string control = f.Read("run.txt");
  f.Write("run.txt", "1e308" + control.substr(1));
  EXPECT_EQ(f.Run().err, "run.txt:1: expected the number of runs at the start of the line\n");
  f.Write("run.txt", control);
  const std::string moscem = f.Read("moscem.txt");
  f.Write("moscem.txt", "2\n1\n3.9\n1\n0\ncolumns\n1,1,\n");
  EXPECT_EQ(f.Run().err, "moscem.txt:3: expected an integer (number of time steps)\n");
  f.Write("moscem.txt", "2\n1\n3\n1\n0.5\ncolumns\n1,1,\n");
  EXPECT_EQ(f.Run().err, "moscem.txt:5: expected an integer (observation threshold)\n");
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
}

// Settings whose consequences would surface in "streamflow.txt" are checked
// against each other where they are read.
TEST(EnsembleIntegrity, SettingsBeyondTheModelRunNameTheirOwnFileAndLine) {
  EnsembleFixture f(kSets);
  f.Write("moscem.txt", "2\n1\n3\n1\n0\ncolumns\n1,\n3,\n");
  EXPECT_EQ(f.Run().err,
            "moscem.txt:8: flux 2 is column 4 of streamflow.txt, beyond the 3 subbasins of bal.txt:5 (one flow "
            "column each)\n");
  f.Write("moscem.txt", "2\n1\n100000000\n1\n0\ncolumns\n1,1,\n");
  EXPECT_EQ(f.Run().err,
            "moscem.txt:3: 100000000 time steps, but bal.txt:2 runs the model for 3 days (streamflow.txt holds one "
            "row per day)\n");
  f.Write("moscem.txt", "2\n1\n3\n1\n0\ncolumns\n1,1,\n");
  f.Write("bal.txt", "title\n3\nx\nx\n0 subbasins\n");
  EXPECT_EQ(f.Run().err, "bal.txt:5: the number of subbasins must be at least 1, found 0\n");
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
}

TEST(EnsembleIntegrity, HugeCountsNameTheShortFileInsteadOfAllocating) {
  EnsembleFixture f(kSets);
  const std::string control = f.Read("run.txt");
  f.Write("run.txt", "2000000000" + control.substr(1));
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "sets.csv: run 4 has no data line (the file holds 3 for 2000000000 runs)\n");
}

TEST(EnsembleIntegrity, AResultFileNamedLikeAnInputIsRefusedBeforeTheFirstRun) {
  EnsembleFixture f(kSets);
  const std::string control = f.Read("run.txt");
  std::string clash = control;
  clash.replace(clash.find("series.csv"), 10, "obs.csv");
  f.Write("clash.txt", clash);
  Outcome o = f.Run("clash.txt");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "clash.txt: the series file 'obs.csv' is also the observed flow file; name another file\n");
  std::string tidy = control;
  tidy.replace(tidy.find("stats.csv"), 9, "band.csv");
  f.Write("tidy.txt", tidy);
  Outcome t = f.Run("tidy.txt");
  EXPECT_EQ(t.status, 1);
  EXPECT_EQ(t.err, "tidy.txt: the statistics file 'band.csv' is a tidy result file of ensemble-runner; name another file\n");
  std::string unwritable = control;
  unwritable.replace(unwritable.find("bounds.csv"), 10, "nodir/bounds.csv");
  f.Write("unwritable.txt", unwritable);
  Outcome u = f.Run("unwritable.txt");
  EXPECT_EQ(u.status, 1);
  EXPECT_EQ(u.err, "Can not open file: nodir/bounds.csv\n\n...now exiting to system...\n"
                   "nodir/bounds.csv.tmp: cannot be created (No such file or directory)\n");
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
}

// The model-choice file is an input: rewritten through a temporary, with
// the lines the model keeps there beyond the two it chooses by.
TEST(EnsembleIntegrity, TheModelChoiceFileKeepsItsLaterLines) {
  EnsembleFixture f(kSets);
  f.Write("whichModel.txt", "Model Index\n1\n3\n7 //a setting of the model\n");
  ASSERT_EQ(f.Run().status, 0);
  EXPECT_EQ(f.Read("whichModel.txt"),
            "Model Index   Index description\n"
            "1 //water balance model:  1= 1D balance, 2= 2D balance\n"
            "3 //routing model:  1=diffusion, 2=Muskingham-Cunge, 3=lag \n"
            "7 //a setting of the model\n");
}

// A directory where a file is expected is named as such.
TEST(EnsembleIntegrity, ADirectoryWhereAFileIsExpectedIsSaidSo) {
  EnsembleFixture f(kSets);
  fs::remove(f.dir / "basin_original.txt");
  fs::create_directory(f.dir / "basin_original.txt");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "     Error opening 'basin_original.txt' file \nbasin_original.txt: is a directory\n");
  // A misspelt name keeps the conventional banner and says which name was used.
  std::string control = f.Read("run.txt");
  control.replace(control.find("basin_original.txt"), 18, "basin_orignal.txt");
  f.Write("run.txt", control);
  EXPECT_EQ(f.Run().err, "     Error opening 'basin_original.txt' file \n"
                         "basin_orignal.txt: cannot be opened (No such file or directory)\n");
}

TEST(EnsembleIntegrity, HelpAndVersionPrintAndEndWithStatusZero) {
  EnsembleFixture f(kSets);
  for (const char* flag : {"--help", "-h"}) {
    Outcome o = f.Run(flag);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.rfind("usage: ensemble-runner [OPTIONS] RUN_CONTROL_FILE\n", 0), 0u);
    EXPECT_NE(o.out.find("\n  --resume "), std::string::npos);
  }
  Outcome v = f.Run("--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out.rfind("ensemble-runner ", 0), 0u);
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
}

}  // namespace
