// ensemble-runner end to end, in temporary working directories.

#include <gtest/gtest.h>

#include "ensemble_fixture.h"

namespace {

using testing_support::Outcome;
using testing_support::WithoutElapsedTime;

const char* kBinding =
    "Fluvex.dll found!\n"
    "Found 1D water balance function in Fluvex.dll\n"
    "Found 2D water balance function in Fluvex.dll\n"
    "Found diffusion routing function in Fluvex.dll\n"
    "Found Muskingham-Cunge routing function in Fluvex.dll\n"
    "Found lag routing function in Fluvex.dll\n";

// Multipliers 1.5 and 0.5 give the same flux-1 key; the selection sort's
// exchange moves run 2 ahead of run 1, so the middle rank is run 2.
TEST(EnsembleRunner, FiveRunsWriteTheExpectedFiles) {
  EnsembleFixture f({1.5, 0.5, 1.2, 2.0, 0.9});
  Outcome o = f.Run();
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(WithoutElapsedTime(o.out),
            std::string(kBinding) +
                "\n##### Make    5 model runs for boundary and average time series ####\n"
                "------------------------------------------------------------------\n"
                "    1   of      5  runs:\nOF Flux  1 = 17.078\nOF Flux  2 = 21.602\n\n\n"
                "    2   of      5  runs:\nOF Flux  1 = 17.078\nOF Flux  2 = 21.602\n\n\n"
                "    3   of      5  runs:\nOF Flux  1 =  6.831\nOF Flux  2 =  8.641\n\n\n"
                "    4   of      5  runs:\nOF Flux  1 = 34.157\nOF Flux  2 = 43.205\n\n\n"
                "    5   of      5  runs:\nOF Flux  1 =  3.416\nOF Flux  2 =  4.320\n\n\n"
                "\n###### Make a single model run for time series with an optimal parameter set ######\n"
                "OF Flux  1 = 17.078\nOF Flux  2 = 21.602\n\n"
                "\n---------------------------------------------------\n\n");
  // Whole seconds of wall time, right-aligned in ten columns: 0 usually, 1 or
  // more when the run straddles a second boundary or the machine is busy.
  const std::string head = "\nCompleted in ", tail = " SECONDS. Free memory.\n";
  size_t at = o.out.find(head);
  ASSERT_NE(at, std::string::npos) << o.out;
  std::string seconds = o.out.substr(at + head.size(), 10);
  EXPECT_EQ(o.out.compare(at + head.size() + 10, tail.size(), tail), 0) << o.out;
  size_t digits = seconds.find_first_not_of(' ');
  EXPECT_TRUE(digits != std::string::npos &&
              seconds.find_first_not_of("0123456789", digits) == std::string::npos)
      << seconds;
  EXPECT_EQ(f.Read("series.csv"),
            "Timestep,Observed Station1,Calibrated Station1,Observed Station2,Calibrated Station2,\n"
            "    1,    1.00000E+01,    5.00000E+00,    2.00000E+01,    1.00000E+01,\n"
            "    2,    3.00000E+01,    1.50000E+01,    4.00000E+01,    2.00000E+01,\n"
            "    3,    5.00000E+01,    2.50000E+01,    6.00000E+01,    3.00000E+01,\n");
  EXPECT_EQ(f.Read("bounds.csv"),
            "Timestep,LowerBound Station1,LowerBound Station2,UppBound Station1,UppBound Station2,"
            "Average Station1,Average Station2,\n"
            "    1,    5.00000E+00,    1.00000E+01,    2.00000E+01,    4.00000E+01,    1.22000E+01,    2.44000E+01,\n"
            "    2,    1.50000E+01,    2.00000E+01,    6.00000E+01,    8.00000E+01,    3.66000E+01,    4.88000E+01,\n"
            "    3,    2.50000E+01,    3.00000E+01,    1.00000E+02,    1.20000E+02,    6.10000E+01,    7.32000E+01,\n");
  EXPECT_EQ(f.Read("stats.csv"),
            "Flux 1\nRMS,STD,NSE,NSC,BIAS\n17.0783,10.0000,-0.0938,0.0000,50.0000\n\n"
            "Flux 2\nRMS,STD,NSE,NSC,BIAS\n21.6025,10.0000,-0.7500,0.0000,50.0000\n\n");
  // The final run used run 2's multiplier, 0.5, on Soilwhc 100.
  EXPECT_NE(f.Read("basin.txt").find("\n1,50.0,150.0,"), std::string::npos);
}

TEST(EnsembleRunner, OneRunGivesBoundsAndAverageEqualToIt) {
  EnsembleFixture f({1.2}, 1);
  ASSERT_EQ(f.Run().status, 0);
  EXPECT_EQ(f.Read("bounds.csv"),
            "Timestep,LowerBound Station1,UppBound Station1,Average Station1,\n"
            "    1,    1.20000E+01,    1.20000E+01,    1.20000E+01,\n"
            "    2,    3.60000E+01,    3.60000E+01,    3.60000E+01,\n"
            "    3,    6.00000E+01,    6.00000E+01,    6.00000E+01,\n");
  EXPECT_EQ(f.Read("series.csv"),
            "Timestep,Observed Station1,Calibrated Station1,\n"
            "    1,    1.00000E+01,    1.20000E+01,\n"
            "    2,    3.00000E+01,    3.60000E+01,\n"
            "    3,    5.00000E+01,    6.00000E+01,\n");
}

TEST(EnsembleRunner, MiddleRankFollowsTheRunCount) {
  // Keys grow with |m - 1|: the sorted order is the listed order here.
  const std::vector<std::pair<std::vector<double>, const char*>> cases = {
      {{1.1, 1.2}, "\n1,110.0,"},                      // two runs: the smaller key
      {{1.3, 1.3}, "\n1,130.0,"},                      // equal keys: the first listed
      {{1.1, 1.2, 1.3}, "\n1,120.0,"},                 // three runs: rank 2
      {{1.1, 1.2, 1.3, 1.4}, "\n1,120.0,"},            // four runs: rank 2
      {{1.4, 1.1, 1.5, 1.2, 1.3}, "\n1,130.0,"},       // five runs: rank 3
  };
  for (const auto& [multipliers, expected] : cases) {
    EnsembleFixture f(multipliers);
    ASSERT_EQ(f.Run().status, 0);
    EXPECT_NE(f.Read("basin.txt").find(expected), std::string::npos) << expected;
  }
}

TEST(EnsembleRunner, FluxWithoutValidationDataIsReportedAndTheOthersScored) {
  EnsembleFixture f({1.5}, 3, 1, 8);  // station 3 observes 5 everywhere: below the threshold
  Outcome o = f.Run();
  ASSERT_EQ(o.status, 0);
  const char* notice =
      "Attention: no validation data available for flux  3.\n"
      "Objective fluction value set to 1.000000e+20.\n";
  EXPECT_NE(o.out.find(std::string(notice) + "OF Flux  1 = 17.078\nOF Flux  2 = 21.602\n"
                                              "OF Flux  3 = 100000000000000000000.000\n"),
            std::string::npos);
  // Zeros would read as a perfect fit: a flux without scored pairs has no statistics.
  EXPECT_EQ(f.Read("stats.csv").substr(f.Read("stats.csv").find("Flux 3")),
            "Flux 3\nRMS,STD,NSE,NSC,BIAS\n   nan,   nan,   nan,   nan,   nan\n\n");
  EXPECT_EQ(o.err, "warning: flux 3 has no observed value above the threshold 8; its statistics are NaN\n");
}

TEST(EnsembleRunner, NoFluxIsAFailureBeforeAnyRun) {
  EnsembleFixture f({1.0}, 0);
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.out.find("nflux must be greater than 0, fix moscem_param.txt \n"), std::string::npos);
  EXPECT_EQ(o.err, "moscem.txt:1: the number of fluxes must be at least 1, found 0\n");
  EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
  EXPECT_FALSE(std::filesystem::exists(f.dir / "series.csv"));
  EXPECT_FALSE(std::filesystem::exists(f.dir / "stats.csv"));
}

TEST(EnsembleRunner, MissingObservationsAreNeverScored) {
  EnsembleFixture f({1.5}, 1);
  f.Write("obs.csv", "Day,S1\n1,NA,\n2,30,\n3,50,\n");
  ASSERT_EQ(f.Run().status, 0);
  EXPECT_EQ(f.Read("stats.csv"), "Flux 1\nRMS,STD,NSE,NSC,BIAS\n20.6155,7.0711,-3.2500,0.0000,-50.0000\n\n");
  EXPECT_EQ(f.Read("series.csv").substr(f.Read("series.csv").find('\n') + 1),
            "    1,            NAN,    1.50000E+01,\n"
            "    2,    3.00000E+01,    4.50000E+01,\n"
            "    3,    5.00000E+01,    7.50000E+01,\n");
}

TEST(EnsembleRunner, UsageErrorsStopBeforeTheLibraryIsBound) {
  EnsembleFixture f({1.0});
  const std::pair<const char*, const char*> cases[] = {
      {"", "no run-control file named"},
      {"run.txt extra", "more than one run-control file named"},
      {"--bogus run.txt", "unknown option --bogus"},
      {"--worker-root", "--worker-root needs a directory"}};
  for (const auto& [arguments, problem] : cases) {
    Outcome o = f.Run(arguments);
    EXPECT_EQ(o.status, 1) << arguments;
    EXPECT_EQ(o.out, "") << arguments;
    EXPECT_EQ(o.err, std::string("ensemble-runner: ") + problem +
                         "\nusage: ensemble-runner [OPTIONS] RUN_CONTROL_FILE (--help lists the options)\n")
        << arguments;
  }
}

TEST(EnsembleRunner, BadRunControlFilesAreRefused) {
  EnsembleFixture f({1.0});
  f.Write("zero.txt", "0 runs\n" + f.Read("run.txt").substr(f.Read("run.txt").find('\n') + 1));
  EXPECT_EQ(f.Run("zero.txt").err, "zero.txt:1: the number of runs must be at least 1, found 0\n");
  f.Write("short.txt", "3\nobs.csv sets.csv\n");
  Outcome o = f.Run("short.txt");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "short.txt: expected 16 file names after the number of runs, found 2\n");
  EXPECT_EQ(f.Run("missing.txt").err, "Can not open file: missing.txt\n\n...now exiting to system...\n"
                                      "missing.txt: cannot be opened (No such file or directory)\n");
  std::filesystem::create_directory(f.dir / "adir");
  EXPECT_EQ(f.Run("adir").err, "Can not open file: adir\n\n...now exiting to system...\nadir: is a directory\n");
}

TEST(EnsembleRunner, ProblemsFoundBeforeTheRunsStopBeforeAnyModelCall) {
  {
    EnsembleFixture f({1.0, 1.1}, 2, 7);
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "OBJECTIVE FUNCTION NOT DEFINED\n...now exiting to system...\n");
  }
  {
    EnsembleFixture f({1.0, 1.1, 1.2});
    f.Write("sets.csv", f.Read("sets.csv").substr(0, f.Read("sets.csv").rfind('\n', f.Read("sets.csv").size() - 2) + 1));
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "sets.csv: run 3 has no data line (the file holds 2 for 3 runs)\n");
    EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
  }
  {
    EnsembleFixture f({1.0});
    f.Write("objectives.csv", "No\n1,2.5,\n");
    EXPECT_EQ(f.Run().err, "objectives.csv:2: run 1: expected 2 objective values, found 1\n");
  }
  {
    EnsembleFixture f({1.0});
    f.Write("obs.csv", "Day,S1,S2\n1,10,x,\n");
    EXPECT_EQ(f.Run().err,
              "obs.csv:2: expected a number or an empty field for flux 2 (column 3), found 'x'\n");
  }
  {
    EnsembleFixture f({1.0});
    f.Write("bal.txt", "title\n3\nx\nx\nmany\n");
    EXPECT_EQ(f.Run().err, "bal.txt:5: expected an integer: the number of subbasins\n");
    // A count far beyond the source files is reported by the first run, not allocated.
    f.Write("bal.txt", "title\n3\nx\nx\n2000000000\n");
    Outcome huge = f.Run();
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.err.find("basin_original.txt:5: expected 2000000000 data rows, found 3\n"), std::string::npos)
        << huge.err;
    EXPECT_EQ(f.Read("model_calls.log"), "<missing model_calls.log>");
    std::filesystem::remove(f.dir / "bal.txt");
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "     Error opening 'balparam.txt' file \nbal.txt: cannot be opened (No such file or directory)\n");
  }
}

TEST(EnsembleRunner, AMissingEntryPointIsAFailure) {
  EnsembleFixture f({1.0});
  testing_support::InstallModel(f.dir.path(), TEST_MODEL_WITHOUT_LAG_PATH);
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.out.find("Lag routing function not found in Fluvex.dll\nError in Fluvex.dll"),
            std::string::npos);
}

}  // namespace
