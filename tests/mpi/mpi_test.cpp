// The MPI build: results identical to serial runs for any number of ranks,
// resuming after a kill, and a run that fails in a worker.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "ensemble/ensemble_fixture.h"
#include "test_support.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

std::string MpiRun(int ranks, const std::string& program) {
  return std::string(" --allow-run-as-root --oversubscribe -n ") + std::to_string(ranks) + " '" + program + "'";
}

// mpirun may return while the killed coordinator is still ending; its lock is
// taken over only once that process is gone.
void WaitForLockHolderToEnd(const fs::path& dir) {
  std::string lock = ReadFile(dir / "toolkit.lock");
  long pid = 0;
  if (std::sscanf(lock.c_str(), "%*s %ld", &pid) != 1) return;
  for (int i = 0; i < 500 && kill(static_cast<pid_t>(pid), 0) == 0; ++i) usleep(10000);
}

struct ExampleCopy {
  ScopedTempDir dir;
  ExampleCopy() {
    fs::copy(EXAMPLES_DIR "/demo-basin", dir.path(), fs::copy_options::recursive);
    InstallModel(dir.path(), STAND_IN_MODEL_PATH);
  }
  Outcome Ensemble(int ranks) const {
    std::string args = " --worker-root workers run_control.txt";
    return ranks == 0 ? RunProgram(dir.path(), ENSEMBLE_RUNNER_PATH, args)
                      : RunProgram(dir.path(), MPIEXEC, MpiRun(ranks, ENSEMBLE_RUNNER_PATH) + args);
  }
  Outcome Oat(int ranks) const {
    return ranks == 0 ? RunProgram(dir.path(), OAT_SENSITIVITY_PATH, "--worker-root workers")
                      : RunProgram(dir.path(), MPIEXEC, MpiRun(ranks, OAT_SENSITIVITY_PATH) + " --worker-root workers");
  }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
};

TEST(Mpi, TheExampleGivesTheSerialFilesWithOneAndThreeRanks) {
  ExampleCopy serial;
  Outcome s = serial.Ensemble(0);
  ASSERT_EQ(s.status, 0) << s.err;
  Outcome so = serial.Oat(0);
  ASSERT_EQ(so.status, 0) << so.err;
  for (int ranks : {1, 3}) {
    ExampleCopy parallel;
    Outcome p = parallel.Ensemble(ranks);
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(WithoutElapsedTime(p.out), WithoutElapsedTime(s.out)) << ranks;
    for (const char* name : {"series.csv", "bounds.csv", "statistics.csv"})
      EXPECT_EQ(parallel.Read(name), serial.Read(name)) << name << " with " << ranks;
    Outcome po = parallel.Oat(ranks);
    ASSERT_EQ(po.status, 0) << po.err;
    EXPECT_EQ(po.out, so.out);
    EXPECT_EQ(po.err, so.err);
    for (const char* name : {"SensAnalysis.txt", "SArunOutput.txt", "OAT.txt", "parameter.in"})
      EXPECT_EQ(parallel.Read(name), serial.Read(name)) << name << " with " << ranks;
    EXPECT_FALSE(fs::exists(parallel.dir / "workers")) << "worker folders are removed after a complete run";
  }
}

const std::vector<double> kSets = {1.5, 0.5, 1.2, 2.0, 0.9, 1.1, 0.8};

TEST(Mpi, MorrisScreeningGivesTheSerialFiles) {
  ExampleCopy serial, parallel;
  const std::string args = " --method morris --trajectories 3 --worker-root workers";
  ASSERT_EQ(RunProgram(serial.dir.path(), OAT_SENSITIVITY_PATH, args).status, 0);
  Outcome o = RunProgram(parallel.dir.path(), MPIEXEC, MpiRun(3, OAT_SENSITIVITY_PATH) + args);
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* name : {"morris_design.csv", "morris.csv", "morris_runs.csv"})
    EXPECT_EQ(parallel.Read(name), serial.Read(name)) << name;
}

// The fit measures, a percentile band and behavioural sets: the serial files.
TEST(Mpi, TheTidyFilesOfABandAreTheSerialOnes) {
  const std::string options = " --band 2.5,97.5 --metrics-per-run --behavioural top:80% --start-date 2001-10-01 ";
  EnsembleFixture serial(kSets);
  ASSERT_EQ(serial.Run(options + "run.txt").status, 0);
  EnsembleFixture parallel(kSets);
  Outcome o = RunProgram(parallel.dir.path(), MPIEXEC,
                         MpiRun(3, ENSEMBLE_RUNNER_PATH) + options + "--worker-root workers run.txt");
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv", "metrics.csv", "run_metrics.csv", "band.csv"})
    EXPECT_EQ(parallel.Read(name), serial.Read(name)) << name;
  EXPECT_FALSE(std::filesystem::exists(parallel.dir / "workers" / "ensemble-runner.flows"));
}

TEST(Mpi, AKilledRunResumesToTheSameFiles) {
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  EnsembleFixture killed(kSets);
  killed.Write("abort_after_runs", "2");  // every worker dies at its third run
  std::string launch = MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --worker-root workers";
  EXPECT_NE(RunProgram(killed.dir.path(), MPIEXEC, launch + " run.txt").status, 0);
  EXPECT_TRUE(fs::exists(killed.dir / "ensemble-runner.checkpoint"));
  fs::remove(killed.dir / "abort_after_runs");
  WaitForLockHolderToEnd(killed.dir.path());
  Outcome resumed = RunProgram(killed.dir.path(), MPIEXEC, launch + " --resume run.txt");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"})
    EXPECT_EQ(killed.Read(name), whole.Read(name)) << name;
}

TEST(Mpi, ARunThatFailsInAWorkerNamesItsRunSetAndFolder) {
  EnsembleFixture f(kSets);
  f.Write("no_flows_at_factor", "1.2");  // run 3
  Outcome o = RunProgram(f.dir.path(), MPIEXEC, MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --worker-root workers run.txt");
  EXPECT_EQ(o.status, 1);
  const std::string prefix = "ensemble-runner: run 3 (parameter set 1.2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, "
                             "1, 1, 1, 1, 1) failed in worker directory " + (f.dir / "workers").string() + "/worker-";
  ASSERT_NE(o.err.find(prefix), std::string::npos) << o.err;
  std::string rest = o.err.substr(o.err.find(prefix) + prefix.size());
  EXPECT_EQ(rest.substr(1, rest.find('\n') - 1), ": Error opening modeled streamflow output file");
  EXPECT_TRUE(fs::exists(f.dir / "workers" / ("worker-" + rest.substr(0, 1)) / "basin.txt"));
  EXPECT_EQ(f.Read("series.csv"), "<missing series.csv>");
  EXPECT_NE(o.out.find("    2   of      7  runs:"), std::string::npos);
  EXPECT_EQ(o.out.find("    3   of      7  runs:\nOF"), std::string::npos);
}

// What the model prints in a worker goes to the worker's log; a run that
// fails brings it along, so that the report shows the run and the model's words.
TEST(Mpi, AFailedRunShowsTheModelsOwnMessage) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "factor=1.2 status 5\n");
  Outcome o = RunProgram(f.dir.path(), MPIEXEC, MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --worker-root workers run.txt");
  EXPECT_EQ(o.status, 1);
  const std::string line = "ensemble-runner: run 3 (parameter set 1.2, ";
  ASSERT_NE(o.err.find(line), std::string::npos) << o.err;
  std::string rest = o.err.substr(o.err.find(line));
  EXPECT_NE(rest.find("failed in worker directory "), std::string::npos);
  EXPECT_NE(rest.find(": model entry point LAGROUTE returned status 5\ntest model: failing with status 5\n"),
            std::string::npos)
      << rest;
}

// Under MPI a crash ends the isolated run's process, not the rank: the run is
// left out and the bounds are those of the ensemble without it.
TEST(Mpi, ACrashInAnIsolatedRunLeavesTheRankServing) {
  EnsembleFixture without({1.5, 0.5, 2.0, 0.9, 1.1, 0.8});
  ASSERT_EQ(without.Run().status, 0);
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "factor=1.2 crash\n");
  Outcome o = RunProgram(f.dir.path(), MPIEXEC,
                         MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --isolate --on-failure skip --worker-root workers run.txt");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(f.Read("bounds.csv"), without.Read("bounds.csv"));
  EXPECT_NE(f.Read("failed_runs.csv").find("\n3,3,1,its worker process ended by signal 11 (a crash) during the run,"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(f.dir / "workers" / "failed-run-3" / "basin.txt"));
}

TEST(Mpi, TimeLimitsAndRetriesWorkOnTheRanks) {
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  EnsembleFixture hung(kSets);
  hung.Write("test_model_faults.txt", "factor=2 hang\n");
  Outcome h = RunProgram(hung.dir.path(), MPIEXEC,
                         MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --run-timeout 1 --on-failure skip --worker-root w run.txt");
  ASSERT_EQ(h.status, 0) << h.err;
  // An idle worker may have made the hung run a second time: both copies count as attempts.
  const std::string failed = hung.Read("failed_runs.csv");
  EXPECT_TRUE(failed.find("\n4,4,1,took longer than the time limit of 1 s;") != std::string::npos ||
              failed.find("\n4,4,2,took longer than the time limit of 1 s;") != std::string::npos)
      << failed;
  EnsembleFixture retried(kSets);
  retried.Write("test_model_faults.txt", "factor=1.2 status 4 once=" + (retried.dir / "once").string() + "\n");
  Outcome r = RunProgram(retried.dir.path(), MPIEXEC,
                         MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --retries 2 --worker-root w run.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"}) EXPECT_EQ(retried.Read(name), whole.Read(name));
  EXPECT_NE(retried.Read("runs.csv").find("\n3,3,worker-"), std::string::npos);
  EXPECT_NE(retried.Read("runs.csv").find(",2,ok,"), std::string::npos);
}

// A straggler on its first attempt: an idle worker makes the run again, the
// first result is kept and the straggler ended; the files are the serial ones.
TEST(Mpi, AnOverdueRunIsMadeAgainByAnIdleWorker) {
  EnsembleFixture serial(kSets);
  ASSERT_EQ(serial.Run().status, 0);
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt",
          "factor=1.2 sleep 30000 once=" + (f.dir / "slow-once").string() + "\nany sleep 100\n");
  const auto start = std::chrono::steady_clock::now();
  Outcome o = RunProgram(f.dir.path(), MPIEXEC, MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --isolate --worker-root w run.txt");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_LT(seconds, 20.0);
  EXPECT_EQ(WithoutElapsedTime(o.out), WithoutElapsedTime(serial.Run().out));
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"}) EXPECT_EQ(f.Read(name), serial.Read(name));
}

TEST(Mpi, ACheckpointOfOtherInputsIsRefused) {
  EnsembleFixture f(kSets);
  f.Write("abort_after_runs", "3");
  RunProgram(f.dir.path(), ENSEMBLE_RUNNER_PATH, "run.txt");
  f.Write("objectives.csv", f.Read("objectives.csv") + "\n");
  Outcome o = RunProgram(f.dir.path(), MPIEXEC, MpiRun(3, ENSEMBLE_RUNNER_PATH) + " --worker-root workers --resume run.txt");
  EXPECT_NE(o.status, 0);
  EXPECT_NE(o.err.find("ensemble-runner.checkpoint: made for other inputs: objectives.csv has changed since; "
                       "remove the checkpoint or run without --resume\n"),
            std::string::npos);
}

}  // namespace
