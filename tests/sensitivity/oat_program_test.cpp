// oat-sensitivity end to end, in temporary working directories with the test model.

#include <algorithm>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

struct OatFixture {
  ScopedTempDir dir;
  OatFixture() {
    InstallModel(dir.path(), TEST_MODEL_PATH);
    WriteFile(dir / "basin_original.txt",
              "h\n1,100.0,150.0,2,0.500,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n"
              "2,200.0,120.0,3,1.200,158.0,3.0,0.1200,28.0,72.0,0.05,0.030,0.78,0.35,2\n");
    WriteFile(dir / "river_original.txt",
              "h\n1,212.0,212.0,0.0042,28.5,2,0.045,0.0,0.1,0,0,0,1.2,800.0,12.0,8.0,1\n"
              "2,158.0,370.0,0.0051,22.0,0,0.040,0.0,0.1,0,0,1,1.4,650.0,10.0,6.0,1\n");
    WriteFile(dir / "whichModel.txt", "x\n1\n3\n");
    WriteFile(dir / "balparam.txt", "title\n3 days\nx\nx\n2 subbasins\n");
    WriteFile(dir / "moscem_param.txt", "1\n1\n3\n1\n0\ncolumns\n1,\n");
    std::string range = "Lower,Upper\n50,400\n";
    for (int p = 2; p <= 20; ++p) range += "0.5, 3  parameter " + std::to_string(p) + "\n";
    WriteFile(dir / "range.txt", range);
    WriteFile(dir / "streamflow.source", "Day Q1\n1 10\n2 20\n3 -5\n");
  }
  Outcome Run(const std::string& arguments = "") const { return RunProgram(dir.path(), OAT_SENSITIVITY_PATH, arguments); }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
};

std::string Line(const std::string& text, int number) {
  size_t start = 0;
  for (int i = 1; i < number; ++i) start = text.find('\n', start) + 1;
  return text.substr(start, text.find('\n', start) - start);
}

long Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

TEST(OatSensitivity, RunsFourHundredSingleParameterRuns) {
  OatFixture f;
  Outcome o = f.Run();
  ASSERT_EQ(o.status, 0) << o.err;
  std::string oat = f.Read("OAT.txt"), sens = f.Read("SensAnalysis.txt"), summary = f.Read("SArunOutput.txt");
  EXPECT_EQ(Lines(oat), 401);
  EXPECT_EQ(Lines(sens), 401);
  EXPECT_EQ(Lines(summary), 21);
  EXPECT_EQ(Line(oat, 1), "whichParam, OAT Parameter Value");
  EXPECT_EQ(Line(oat, 2), "1,0.5000");
  EXPECT_EQ(Line(oat, 22), "1,0.6000");   // parameter 1 again, at fraction 0.05
  EXPECT_EQ(Line(oat, 122), "1,1.1000");  // data row 121: fraction 0.3
  EXPECT_EQ(Line(oat, 142), "1,1.3000");  // data row 141: fraction 0.4, no 0.35 between
  for (int row = 1; row <= 400; ++row) {
    std::string o_row = Line(oat, row + 1), s_row = Line(sens, row + 1);
    ASSERT_EQ(s_row.substr(0, o_row.size() + 1), o_row + ",") << row;
  }
  EXPECT_EQ(Line(sens, 1), "whichParam, OAT Parameter Value, max_mod, mean_mod, stddev ");
  EXPECT_EQ(Line(sens, 2), "1,0.5000,10.000,7.500,3.536");
  EXPECT_EQ(Line(summary, 1), "whichParam, max_mod, mean_mod, stddev ");
  EXPECT_EQ(Line(summary, 2), "1,0.075,0.056,0.027");
  for (int p = 2; p <= 20; ++p) EXPECT_EQ(Line(summary, p + 1), std::to_string(p) + ",0.000,0.000,0.000");
  EXPECT_EQ(Line(f.Read("parameter.in"), 2), "1,SoilWhc,1,0.500,2.000,0,SoilWHC is the soil water holding capacity (mm)");
  EXPECT_EQ(Line(f.Read("parameter.in"), 4), "3,Texture,1,0.5,1.5,0,Texture is the soil texture (1:2:3)");
  EXPECT_EQ(Lines(f.Read("parameter.in")), 21);
  EXPECT_NE(o.err.find("OAT datasets successfully created -----------> 400 \n"), std::string::npos);
  EXPECT_NE(o.err.find("OAT model runs successfully completed -----------> 400 \n"), std::string::npos);
  EXPECT_NE(o.err.find("warning: parameter 17 (RivLoss): its smallest subbasin value is 0"), std::string::npos);
  EXPECT_EQ(Line(f.Read("OAT.txt"), 18), "17,1.0000");
  // The same figures at full precision, with the parameters' names.
  EXPECT_EQ(Line(f.Read("sensitivity.csv"), 1), "parameter,name,max_flow,mean_flow,stddev_flow");
  EXPECT_EQ(Line(f.Read("sensitivity.csv"), 2), "1,SoilWhc,0.075,0.05625,0.0265165043");
  EXPECT_EQ(Line(f.Read("sensitivity.csv"), 3), "2,Depth,0,0,0");
  EXPECT_EQ(Line(f.Read("oat_runs.csv"), 1), "run,parameter,multiplier,max_flow,mean_flow,stddev_flow");
  EXPECT_EQ(Line(f.Read("oat_runs.csv"), 2), "1,SoilWhc,0.5,10,7.5,3.53553391");
  EXPECT_EQ(Lines(f.Read("oat_runs.csv")), 401);
}

TEST(OatSensitivity, ABadRangeLineStopsWithTheFramedMessage) {
  OatFixture f;
  WriteFile(f.dir / "range.txt", "h\n50,400\n1 , , 2\n");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "     range.txt:3: expected the lower and upper bound of parameter 2 (Depth) \n");
  EXPECT_NE(o.out.find(" " + std::string(60, '-') + " \n"), std::string::npos);
}

TEST(OatSensitivity, InputProblemsNameTheFileAndLine) {
  {
    OatFixture f;
    WriteFile(f.dir / "moscem_param.txt", "1\n1\n3\n1\n0\ncolumns\n0,\n");
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.substr(o.err.rfind('\n', o.err.size() - 2) + 1),
              "moscem_param.txt:7: the station column must be at least 1, found 0\n");
  }
  {
    OatFixture f;
    WriteFile(f.dir / "streamflow.source", "Day Q1\n1 10\n");
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.substr(o.err.rfind('\n', o.err.size() - 2) + 1),
              "oat-sensitivity: run 1 (OAT row 1, 0.5) failed: streamflow.txt:3: expected 3 data lines "
              "(balparam.txt:2), found 1\n");
    EXPECT_EQ(f.Read("SensAnalysis.txt"), "<missing SensAnalysis.txt>");
    // A row count far beyond the file is reported, not allocated.
    WriteFile(f.dir / "balparam.txt", "title\n2000000000 days\nx\nx\n2 subbasins\n");
    WriteFile(f.dir / "streamflow.source", "Day Q1\n1 10\n2 20\n3 -5\n");
    o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.substr(o.err.rfind('\n', o.err.size() - 2) + 1),
              "oat-sensitivity: run 1 (OAT row 1, 0.5) failed: streamflow.txt:5: expected 2000000000 data lines "
              "(balparam.txt:2), found 3\n");
  }
  {
    OatFixture f;
    std::filesystem::create_directory(f.dir / "OAT.txt");
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "     Error opening 'OAT.txt' file \nOAT.txt: is a directory\n");
  }
  {
    OatFixture f;
    std::filesystem::remove(f.dir / "range.txt");
    EXPECT_EQ(f.Run().err, "     Error opening 'range.txt' file \nrange.txt: cannot be opened (No such file or directory)\n");
  }
}

// A write that fails (a full disk: /dev/full here) stops the run with the file
// named and keeps the previous file. After the 400 runs the checkpoint
// outlives a failed result file, so --resume writes the results without
// running the model again.
TEST(OatSensitivity, AFailedWriteNamesTheFileKeepsTheOldOneAndTheRunResumes) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  for (const char* name : {"OAT.txt", "parameter.in", "SArunOutput.txt", "SensAnalysis.txt"}) {
    OatFixture f;
    WriteFile(f.dir / name, "the previous results\n");
    std::filesystem::create_symlink("/dev/full", f.dir / (std::string(name) + ".tmp"));
    Outcome o = f.Run();
    EXPECT_EQ(o.status, 1) << name;
    const std::string stop = std::string("\nCan not write file: ") + name +
                             " (No space left on device)\n\n...now exiting to system...\n";
    EXPECT_EQ(o.err.substr(o.err.size() - std::min(o.err.size(), stop.size())), stop);
    EXPECT_EQ(f.Read(name), "the previous results\n");
    if (name != std::string("SArunOutput.txt")) continue;
    std::filesystem::remove(f.dir / (std::string(name) + ".tmp"));
    Outcome resumed = RunProgram(f.dir.path(), OAT_SENSITIVITY_PATH, "--resume");
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(resumed.err.find("OAT model runs successfully completed"), std::string::npos);
    EXPECT_EQ(Lines(f.Read("SArunOutput.txt")), 21);
    EXPECT_EQ(Lines(f.Read("SensAnalysis.txt")), 401);
  }
}

TEST(OatSensitivity, AKilledRunResumesToTheSameFiles) {
  OatFixture whole;
  ASSERT_EQ(whole.Run().status, 0);
  OatFixture killed;
  WriteFile(killed.dir / "abort_after_runs", "150");
  EXPECT_NE(killed.Run().status, 0);
  EXPECT_NE(killed.Read("oat-sensitivity.checkpoint").find("completed 150\n"), std::string::npos);
  std::filesystem::remove(killed.dir / "abort_after_runs");
  Outcome resumed = RunProgram(killed.dir.path(), OAT_SENSITIVITY_PATH, "--resume");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_NE(resumed.err.find("toolkit.lock: taking over the lock of oat-sensitivity (process "), std::string::npos);
  EXPECT_EQ(resumed.err.find("completed -----------> 150 \n"), std::string::npos);
  EXPECT_NE(resumed.err.find("completed -----------> 151 \n"), std::string::npos);
  for (const char* name : {"SensAnalysis.txt", "SArunOutput.txt", "OAT.txt", "parameter.in"})
    EXPECT_EQ(killed.Read(name), whole.Read(name)) << name;
  EXPECT_EQ(killed.Read("oat-sensitivity.checkpoint"), "<missing oat-sensitivity.checkpoint>");
  WriteFile(killed.dir / "oat-sensitivity.checkpoint", "something else\n");
  Outcome refused = RunProgram(killed.dir.path(), OAT_SENSITIVITY_PATH, "--resume");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("oat-sensitivity.checkpoint: not a checkpoint of oat-sensitivity; remove it to start anew\n"),
            std::string::npos);
  EXPECT_EQ(RunProgram(killed.dir.path(), OAT_SENSITIVITY_PATH, "--bogus").err,
            "oat-sensitivity: unknown option --bogus\nusage: oat-sensitivity [OPTIONS] (--help lists the options)\n");
}

TEST(OatSensitivity, AFailedModelRunNamesItsOatRowAndKeepsThePreviousResults) {
  OatFixture f;
  WriteFile(f.dir / "SensAnalysis.txt", "the previous results\n");
  WriteFile(f.dir / "test_model_faults.txt", "call=25 status 9\n");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.substr(o.err.find("test model:")),
            "test model: failing with status 9\n"
            "oat-sensitivity: run 25 (OAT row 5, 0.2042) failed: model entry point LAGROUTE returned status 9\n");
  EXPECT_EQ(f.Read("SensAnalysis.txt"), "the previous results\n");
  EXPECT_FALSE(std::filesystem::exists(f.dir / "SArunOutput.txt"));
}

TEST(OatSensitivity, ArgumentsAndAStationBeyondTheSubbasinsAreRefused) {
  OatFixture f;
  Outcome extra = f.Run("extra");
  EXPECT_EQ(extra.status, 1);
  EXPECT_EQ(extra.err, "oat-sensitivity: unexpected argument extra\nusage: oat-sensitivity [OPTIONS] (--help lists the options)\n");
  Outcome help = f.Run("-h");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: oat-sensitivity [OPTIONS]\n", 0), 0u);
  EXPECT_EQ(f.Run("--version").out.rfind("oat-sensitivity ", 0), 0u);
  EXPECT_EQ(f.Read("OAT.txt"), "<missing OAT.txt>");
  WriteFile(f.dir / "moscem_param.txt", "1\n1\n3\n1\n0\ncolumns\n3,\n");
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.substr(o.err.rfind('\n', o.err.size() - 2) + 1),
            "moscem_param.txt:7: the station column 3 is beyond the 2 subbasins of balparam.txt:5 (streamflow.txt "
            "holds one flow column each)\n");
}

// With --on-failure skip a failed run's row holds NaN and its parameter's
// sensitivity is summed over the runs that succeeded.
TEST(OatSensitivity, AFailedRunLeftOutIsANanRowAndLeavesTheSensitivityOfTheOthers) {
  OatFixture whole;
  ASSERT_EQ(whole.Run().status, 0);
  OatFixture f;
  // Row 41: parameter 1 (Soilwhc) at fraction 0.1, the only run whose flow factor is 0.7.
  WriteFile(f.dir / "test_model_faults.txt", "factor=0.7 crash\n");
  Outcome o = f.Run("--isolate --on-failure skip --worker-root workers");
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string sens = f.Read("SensAnalysis.txt"), wholeSens = whole.Read("SensAnalysis.txt");
  EXPECT_EQ(Line(sens, 42), "1,0.7000,nan,nan,nan");
  for (int line : {41, 43, 401}) EXPECT_EQ(Line(sens, line), Line(wholeSens, line));
  // The sensitivities of the other parameters are unchanged.
  const std::string summary = f.Read("SArunOutput.txt");
  EXPECT_EQ(summary.substr(summary.find("\n2,")), whole.Read("SArunOutput.txt").substr(summary.find("\n2,")));
  EXPECT_EQ(Line(f.Read("failed_runs.csv"), 2).substr(0, 12), "41,41,1,its ");
  EXPECT_NE(o.err.find("oat-sensitivity: 1 of the 400 runs failed and were left out; see failed_runs.csv\n"),
            std::string::npos);
  EXPECT_EQ(o.err.find("OAT model runs successfully completed -----------> 41 \n"), std::string::npos);
}

TEST(OatSensitivity, AMissingEntryPointIsAFailure) {
  OatFixture f;
  InstallModel(f.dir.path(), TEST_MODEL_WITHOUT_LAG_PATH);
  Outcome o = f.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(f.Read("OAT.txt"), "<missing OAT.txt>");
}

}  // namespace
