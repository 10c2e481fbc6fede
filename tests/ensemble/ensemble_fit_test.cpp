// The tidy files of ensemble-runner: the fit measures of the calibrated run
// against a hand computation, percentile bands against numpy, behavioural
// sets, dates and units, resuming with a band, and refused options. The
// fixture's run k simulates its multiplier times the observed flows.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ensemble_fixture.h"

namespace {

using testing_support::Outcome;

// The line of `text` that starts with `start`, or "".
std::string LineStarting(const std::string& text, const std::string& start) {
  const size_t at = text.find("\n" + start);
  if (at == std::string::npos) return "";
  return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

const char* const kMetricsHeader =
    "flux,station,n,nse,kge,kge_r,kge_alpha,kge_beta,kge2012,kge2012_gamma,pbias,rmse,mae,log_nse,p_factor,r_factor\n";

// Runs of 0.5, 2 and 3 times the observed flows 10, 30, 50; the middle rank is 2.
TEST(EnsembleFit, TheMeasuresOfTheCalibratedRunByHand) {
  EnsembleFixture f({0.5, 2, 3});
  const Outcome o = f.Run("--units m3/s run.txt");
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string metrics = f.Read("metrics.csv");
  // r = 1, alpha = beta = 2, gamma = 1; the min/max band holds every observation. The
  // stations are named as in the observed file.
  EXPECT_EQ(metrics,
            "# ensemble-runner 2.0.0: fit measures of the calibrated (middle-rank) run over the scored pairs\n"
            "# units: m3/s\n"
            "# band: min/max of the runs\n"
            "# sets: 3 of 3 run\n" +
                std::string(kMetricsHeader) +
                "1,S1,3,-3.375,-0.414213562,1,2,2,0,1,100,34.1565026,30,-0.0748561709,1,3.75\n"
                "2,S2,3,-6,-0.414213562,1,2,2,0,1,100,43.204938,40,-1.3516632,1,5\n");
  // Without the new options the specified files are those of before, and nothing else is left.
  EXPECT_FALSE(std::filesystem::exists(f.dir / "band.csv"));
  EXPECT_FALSE(std::filesystem::exists(f.dir / "run_metrics.csv"));
  EXPECT_FALSE(std::filesystem::exists(f.dir / "ensemble-runner.flows"));
}

TEST(EnsembleFit, TheThresholdAndMissingObservationsLeavePairsOut) {
  EnsembleFixture f({0.5, 2, 3}, 2, 1, 15);
  ASSERT_EQ(f.Run().status, 0);
  // Above 15: 30 and 50 only.
  EXPECT_EQ(LineStarting(f.Read("metrics.csv"), "1,"),
            "1,S1,2,-16,-0.414213562,1,2,2,0,1,100,41.2310563,40,-6.40515845,1,7.07106781");
  EnsembleFixture missing({0.5, 2, 3});
  missing.Write("obs.csv", "Day,S1,S2,S3\n1,10,20,5,\n2,NaN,40,5,\n3,50,60,5,\n");
  ASSERT_EQ(missing.Run().status, 0);
  EXPECT_EQ(LineStarting(missing.Read("metrics.csv"), "1,S1,").substr(0, 12), "1,S1,2,-2.25");
  // One pair left: nothing with a spread is defined.
  EnsembleFixture one({0.5, 2, 3}, 2, 1, 40);
  ASSERT_EQ(one.Run().status, 0);
  EXPECT_EQ(LineStarting(one.Read("metrics.csv"), "1,"),
            "1,S1,1,NaN,NaN,NaN,NaN,NaN,NaN,NaN,NaN,NaN,NaN,NaN,1,NaN");
}

// Seven runs: the band's percentiles are numpy's of the seven flows per step.
TEST(EnsembleFit, APercentileBandAsNumpyComputesIt) {
  EnsembleFixture f({3, 1, 4, 1, 5, 9, 2.6});
  const Outcome o = f.Run("--band 2.5,97.5 --start-date 2000-02-28 --metrics-per-run run.txt");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(f.Read("band.csv"),
            "# ensemble-runner 2.0.0: percentiles of the runs' flows per step and station\n"
            "# start_date: 2000-02-28\n"
            "# band: percentiles 2.5,97.5 of the runs\n"
            "# sets: 7 of 7 run\n"
            "step,date,flux,lower,median,upper\n"
            "1,2000-02-28,1,10,30,84\n1,2000-02-28,2,20,60,168\n"
            "2,2000-02-29,1,30,90,252\n2,2000-02-29,2,40,120,336\n"
            "3,2000-03-01,1,50,150,420\n3,2000-03-01,2,60,180,504\n");
  EXPECT_FALSE(std::filesystem::exists(f.dir / "ensemble-runner.flows"));
  // The whole range: the bounds of the specified file.
  EnsembleFixture whole({3, 1, 4, 1, 5, 9, 2.6});
  ASSERT_EQ(whole.Run("--band 0,100 run.txt").status, 0);
  EXPECT_NE(whole.Read("band.csv").find("\n3,,1,50,150,450\n"), std::string::npos);
  EXPECT_EQ(whole.Read("bounds.csv"), f.Read("bounds.csv"));
  // Every run's measures; a single run has no band.
  const std::string runs = f.Read("run_metrics.csv");
  EXPECT_NE(runs.find("run,set,flux,n,nse,kge,"), std::string::npos);
  EXPECT_EQ(LineStarting(runs, "2,2,1,"), "2,2,1,3,1,1,1,1,1,1,1,0,0,0,1,NaN,NaN");
  EXPECT_EQ(LineStarting(runs, "6,6,2,").substr(0, 12), "6,6,2,3,-447");
}

// Objective values where smaller is better, and their negatives for a measure
// where larger is better (stored as -NSE): both keep runs 2, 4 and 6.
TEST(EnsembleFit, BehaviouralSetsByShareAndByLimit) {
  const std::vector<double> sets = {1.5, 0.5, 1.2, 2.0, 0.9, 1.1, 3};
  const std::string smaller = "No,o\n1,5,7,\n2,1,7,\n3,4,7,\n4,1,7,\n5,9,7,\n6,2,7,\n7,6,7,\n";
  const std::string larger =
      "No,o\n1,-0.5,7,\n2,-0.9,7,\n3,-0.6,7,\n4,-0.95,7,\n5,-0.1,7,\n6,-0.8,7,\n7,-0.3,7,\n";
  for (const auto& [objectives, limit] : {std::pair{smaller, std::string("4")}, std::pair{larger, std::string("-0.6")}}) {
    EnsembleFixture f(sets);
    f.Write("objectives.csv", objectives);
    const Outcome o = f.Run("--behavioural top:30% --band 0,100 run.txt");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("Behavioural sets (top:30%): 3 of 7 sets kept; the others are not run\n"), std::string::npos);
    const std::string record = f.Read("runs.csv");
    EXPECT_NE(record.find("\n2,2,"), std::string::npos);
    EXPECT_NE(record.find("\n4,4,"), std::string::npos);
    EXPECT_NE(record.find("\n6,6,"), std::string::npos);
    EXPECT_EQ(record.find("\n1,1,"), std::string::npos);
    // Bounds 0.5 and 2 times the flows, average (0.5 + 2 + 1.1) / 3 times them. Ranked by
    // their errors (1.1, 0.5, 2), the middle of runs 2, 4 and 6 is run 2.
    EXPECT_NE(f.Read("bounds.csv").find("    1,    5.00000E+00,    1.00000E+01,    2.00000E+01,    4.00000E+01,"
                                        "    1.20000E+01,    2.40000E+01,"),
              std::string::npos);
    EXPECT_NE(f.Read("series.csv").find("    1,    1.00000E+01,    5.00000E+00,"), std::string::npos);
    EXPECT_NE(f.Read("metrics.csv").find("# sets: 3 of 7 run (behavioural: top:30%)\n"), std::string::npos);
    EnsembleFixture limited(sets);
    limited.Write("objectives.csv", objectives);
    const Outcome l = limited.Run("--behavioural 'objective<=" + limit + "' run.txt");
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_NE(l.out.find("4 of 7 sets kept"), std::string::npos);
    EXPECT_NE(limited.Read("runs.csv").find("\n3,3,"), std::string::npos);
  }
  // Ties go to the earlier line; a limit no set meets is an error before any run.
  EnsembleFixture tied(sets);
  tied.Write("objectives.csv", "No,o\n1,3,7,\n2,1,7,\n3,3,7,\n4,1,7,\n5,3,7,\n6,3,7,\n7,3,7,\n");
  ASSERT_EQ(tied.Run("--behavioural top:50% run.txt").status, 0);  // 4 of 7: runs 2 and 4, then 1 and 3
  const std::string record = tied.Read("runs.csv");
  EXPECT_EQ(record.substr(record.find('\n') + 1, 4), "1,1,");
  EXPECT_NE(record.find("\n3,3,"), std::string::npos);
  EXPECT_EQ(record.find("\n5,5,"), std::string::npos);
  EnsembleFixture none(sets);
  const Outcome n = none.Run("--behavioural 'objective<=0' run.txt");
  EXPECT_EQ(n.status, 1);
  EXPECT_NE(n.err.find("objectives.csv: no parameter set meets --behavioural objective<=0"), std::string::npos) << n.err;
  EXPECT_EQ(none.Read("routing_calls"), "<missing routing_calls>");
}

TEST(EnsembleFit, AKilledStudyWithABandResumesToTheSameFiles) {
  const std::vector<double> sets = {1.5, 0.5, 1.2, 2.0, 0.9, 1.1};
  const std::string options = "--band 10,90 --metrics-per-run --behavioural top:70% ";
  EnsembleFixture whole(sets);
  ASSERT_EQ(whole.Run(options + "run.txt").status, 0);
  EnsembleFixture killed(sets);
  killed.Write("abort_after_runs", "3");
  EXPECT_NE(killed.Run(options + "run.txt").status, 0);
  EXPECT_TRUE(std::filesystem::exists(killed.dir / "ensemble-runner.flows"));
  std::filesystem::remove(killed.dir / "abort_after_runs");
  // Another band is another study.
  Outcome other = killed.Run("--resume --band 5,95 --metrics-per-run --behavioural top:70% run.txt");
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("made for other inputs: the percentile band (--band) has changed since"), std::string::npos)
      << other.err;
  Outcome resumed = killed.Run("--resume " + options + "run.txt");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  for (const char* name : {"series.csv", "bounds.csv", "stats.csv", "metrics.csv", "run_metrics.csv", "band.csv"})
    EXPECT_EQ(killed.Read(name), whole.Read(name)) << name;
  EXPECT_FALSE(std::filesystem::exists(killed.dir / "ensemble-runner.flows"));
}

TEST(EnsembleFit, BadOptionValuesAreRefusedBeforeAnyRun) {
  EnsembleFixture f({1, 2});
  const std::pair<const char*, const char*> cases[] = {
      {"--band 97.5,2.5",
       "--band needs two percentiles P_LOW,P_HIGH with 0 <= P_LOW < P_HIGH <= 100, such as 2.5,97.5, found '97.5,2.5'"},
      {"--band 5", "--band needs two percentiles P_LOW,P_HIGH with 0 <= P_LOW < P_HIGH <= 100, such as 2.5,97.5, found '5'"},
      {"--behavioural best", "--behavioural needs top:SHARE% (0 < SHARE <= 100) or objective<=VALUE, found 'best'"},
      {"--behavioural top:0%", "--behavioural needs top:SHARE% (0 < SHARE <= 100) or objective<=VALUE, found 'top:0%'"},
      {"--start-date 2001-02-29", "--start-date needs a date YYYY-MM-DD, found '2001-02-29'"},
      {"--units 'm3/s,x'", "--units needs a text without commas or line breaks, found 'm3/s,x'"}};
  for (const auto& [arguments, message] : cases) {
    const Outcome o = f.Run(std::string(arguments) + " run.txt");
    EXPECT_EQ(o.status, 1) << arguments;
    EXPECT_EQ(o.err.substr(0, o.err.find('\n')), std::string("ensemble-runner: ") + message) << arguments;
  }
  EXPECT_EQ(f.Read("routing_calls"), "<missing routing_calls>");
}

}  // namespace
