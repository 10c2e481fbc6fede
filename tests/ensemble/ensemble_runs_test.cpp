// Run management of ensemble-runner: isolated runs, time limits, retries,
// runs left out, the run record, progress, and resuming with failed runs.

#include <filesystem>

#include <gtest/gtest.h>

#include "ensemble_fixture.h"

namespace {

using testing_support::Outcome;
using testing_support::WithoutLockTakeover;
namespace fs = std::filesystem;

const std::vector<double> kSets = {1.5, 0.5, 1.2, 2.0, 0.9};
const std::vector<double> kWithoutThird = {1.5, 0.5, 2.0, 0.9};

std::string Line(const std::string& text, int number) {
  size_t start = 0;
  for (int i = 1; i < number; ++i) start = text.find('\n', start) + 1;
  return text.substr(start, text.find('\n', start) - start);
}

// A fault of the model in run 3 (set 1.2) that ends only that run.
TEST(EnsembleRuns, ACrashInAnIsolatedRunIsLeftOutAndTheBoundsAreThoseWithoutIt) {
  EnsembleFixture without(kWithoutThird);
  ASSERT_EQ(without.Run().status, 0);
  for (const char* fault : {"crash", "abort", "exit"}) {
    EnsembleFixture f(kSets);
    f.Write("test_model_faults.txt", std::string("factor=1.2 ") + fault + "\n");
    Outcome o = f.Run("--isolate --on-failure skip --worker-root workers run.txt");
    ASSERT_EQ(o.status, 0) << fault << ": " << o.err;
    EXPECT_EQ(f.Read("bounds.csv"), without.Read("bounds.csv")) << fault;
    const std::string failed = f.Read("failed_runs.csv");
    EXPECT_EQ(Line(failed, 1), "run,set_or_row,attempts,reason,seconds,folder");
    const std::string row = Line(failed, 2);
    const std::string reason = std::string(fault) == "crash"   ? "its worker process ended by signal 11 (a crash) during the run"
                               : std::string(fault) == "abort" ? "its worker process ended by signal 6 (an abort) during the run"
                                                               : "its worker process exited with status 0 during the run";
    EXPECT_EQ(row.rfind("3,3,1," + reason + ",", 0), 0u) << row;
    const std::string folder = row.substr(row.rfind(',') + 1);
    EXPECT_EQ(folder, (f.dir / "workers" / "failed-run-3").string());
    EXPECT_TRUE(fs::exists(fs::path(folder) / "basin.txt"));
    EXPECT_NE(o.err.find("ensemble-runner: run 3 (parameter set 1.2, 1, "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("ensemble-runner: 1 of the 5 runs failed and were left out; see failed_runs.csv\n"),
              std::string::npos);
    EXPECT_EQ(Line(f.Read("runs.csv"), 4).substr(0, 22), "3,3,process-1,1,failed");
    EXPECT_EQ(Line(f.Read("runs.csv"), 5).substr(0, 18), "4,4,process-2,1,ok");
  }
}

TEST(EnsembleRuns, WithoutSkippingAFailedRunStopsTheStudyNamingRunAndFolder) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "factor=1.2 crash\n");
  Outcome o = f.Run("--isolate --worker-root workers run.txt");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("ensemble-runner: run 3 (parameter set 1.2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, "
                       "1, 1, 1) failed in worker directory " +
                       (f.dir / "workers" / "failed-run-3").string() +
                       ": its worker process ended by signal 11 (a crash) during the run\n"),
            std::string::npos)
      << o.err;
  EXPECT_FALSE(fs::exists(f.dir / "series.csv"));
  // The final run failing stops a study that skips failed runs too.
  EnsembleFixture last(kSets);
  last.Write("test_model_faults.txt", "call=6 status 7\n");
  Outcome final = last.Run("--on-failure skip run.txt");
  EXPECT_EQ(final.status, 1);
  EXPECT_NE(final.err.find("ensemble-runner: the final run (parameter set 0.5, "), std::string::npos) << final.err;
}

TEST(EnsembleRuns, ARunPastItsTimeLimitIsEndedAndARetryRecoversAOnceOnlyFault) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "factor=2 hang\n");
  const auto start = std::chrono::steady_clock::now();
  Outcome o = f.Run("--run-timeout 1 --on-failure skip --worker-root workers run.txt");
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(Line(f.Read("failed_runs.csv"), 2)
                .find("4,4,1,took longer than the time limit of 1 s; its worker process was ended,"),
            std::string::npos);
  EnsembleFixture retried(kSets);
  retried.Write("test_model_faults.txt",
                "factor=1.2 crash once=" + (retried.dir / "crashed-once").string() + "\n");
  Outcome r = retried.Run("--isolate --retries 1 --worker-root workers run.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Line(retried.Read("runs.csv"), 4).substr(0, 18), "3,3,process-2,2,ok");
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv"}) EXPECT_EQ(retried.Read(name), whole.Read(name));
  EXPECT_FALSE(fs::exists(retried.dir / "failed_runs.csv"));
  EXPECT_TRUE(fs::exists(retried.dir / "workers" / "failed-run-3"));  // the failed attempt's folder is kept
}

TEST(EnsembleRuns, MoreThanHalfOfTheRunsFailedIsAStop) {
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "factor=1.5 status 1\nfactor=0.5 status 1\nfactor=1.2 status 1\n");
  Outcome o = f.Run("--on-failure skip run.txt");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("ensemble-runner: 3 of the 5 runs failed; nothing useful can be computed (see "
                       "failed_runs.csv)\n"),
            std::string::npos)
      << o.err;
  EXPECT_FALSE(fs::exists(f.dir / "series.csv"));
}

TEST(EnsembleRuns, TheRunRecordAndTheProgressLines) {
  EnsembleFixture f(kSets);
  Outcome o = f.Run("--progress run.txt");
  ASSERT_EQ(o.status, 0);
  const std::string runs = f.Read("runs.csv");
  EXPECT_EQ(Line(runs, 1), "run,set_or_row,worker,attempts,status,seconds,started_utc");
  EXPECT_EQ(std::count(runs.begin(), runs.end(), '\n'), 6);
  const std::string row = Line(runs, 6);
  EXPECT_EQ(row.substr(0, 16), "5,5,main,1,ok,0.");
  EXPECT_EQ(row.size(), 16u + 4 + 20) << row;  // seconds to the millisecond, then YYYY-MM-DDTHH:MM:SSZ
  EXPECT_EQ(row.back(), 'Z');
  // A plain line at the first run and the last (at most every 30 s between).
  EXPECT_EQ(o.err.rfind("run 1/5 (20%), 0 failed, 0.0 s/run, ETA 0:00:0", 0), 0u) << o.err;
  EXPECT_NE(o.err.find("\nrun 5/5 (100%), 0 failed, 0.0 s/run, ETA 0:00:00\n"), std::string::npos) << o.err;
  // Without --progress and without a terminal, standard error stays as it was.
  EXPECT_EQ(f.Run().err, "");
}

// Resumed, a study knows which runs failed: they are not made again unless
// --retry-failed asks, and then the results are those of a study without failures.
TEST(EnsembleRuns, ResumeKeepsFailedRunsLeftOutUnlessAskedToRetryThem) {
  EnsembleFixture whole(kSets);
  ASSERT_EQ(whole.Run().status, 0);
  EnsembleFixture f(kSets);
  f.Write("test_model_faults.txt", "factor=0.5 status 3\ncall=4 abort\n");
  EXPECT_NE(f.Run("--on-failure skip run.txt").status, 0);  // run 2 failed, run 4 killed the program
  EXPECT_NE(f.Read("ensemble-runner.checkpoint").find("completed 3\n"), std::string::npos);
  f.Write("test_model_faults.txt", "");
  fs::remove(f.dir / "model_calls.log");
  Outcome resumed = f.Run("--resume --on-failure skip run.txt");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(f.Read("model_calls.log"), "ONELAYERBALANCE\nLAGROUTE\nONELAYERBALANCE\nLAGROUTE\nONELAYERBALANCE\nLAGROUTE\n");
  EXPECT_NE(WithoutLockTakeover(resumed.err).find("1 of the 5 runs failed and were left out"), std::string::npos);
  const std::string runs = f.Read("runs.csv");
  EXPECT_EQ(std::count(runs.begin(), runs.end(), '\n'), 1 + 3 + 2);  // both sessions
  // Once more from the same kill, now retrying the failed run: the study without failures.
  EnsembleFixture g(kSets);
  g.Write("test_model_faults.txt", "factor=0.5 status 3\ncall=4 abort\n");
  g.Run("--on-failure skip run.txt");
  g.Write("test_model_faults.txt", "");
  Outcome retried = g.Run("--resume --retry-failed run.txt");
  ASSERT_EQ(retried.status, 0) << retried.err;
  EXPECT_EQ(g.Read("series.csv"), whole.Read("series.csv"));
  EXPECT_EQ(g.Read("stats.csv"), whole.Read("stats.csv"));
  EXPECT_EQ(Line(g.Read("bounds.csv"), 2), Line(whole.Read("bounds.csv"), 2));
  EXPECT_EQ(g.Run("--retry-failed run.txt").err,
            "ensemble-runner: --retry-failed goes with --resume\nusage: ensemble-runner [OPTIONS] RUN_CONTROL_FILE "
            "(--help lists the options)\n");
}

TEST(EnsembleRuns, OptionValuesAreChecked) {
  EnsembleFixture f(kSets);
  const std::pair<const char*, const char*> cases[] = {
      {"--retries -1 run.txt", "--retries needs a whole number from 0, found '-1'"},
      {"--retries 1.5 run.txt", "--retries needs a whole number from 0, found '1.5'"},
      {"--run-timeout 0 run.txt", "--run-timeout needs a number of seconds above 0, or auto, found '0'"},
      {"--on-failure ignore run.txt", "--on-failure needs stop or skip, found 'ignore'"}};
  for (const auto& [arguments, problem] : cases)
    EXPECT_EQ(f.Run(arguments).err, std::string("ensemble-runner: ") + problem +
                                        "\nusage: ensemble-runner [OPTIONS] RUN_CONTROL_FILE (--help lists the options)\n");
}

}  // namespace
