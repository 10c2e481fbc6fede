#include <gtest/gtest.h>

#include "model_run.h"
#include "number_format.h"
#include "streamflow.h"
#include "test_support.h"

namespace {

using namespace testing_support;

const char* kBasinOriginal =
    "header\n"
    "1,100.0,150.0,2,0.500,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n"
    "2,200.0,120.0,3,1.200,158.0,3.0,0.1200,28.0,72.0,0.05,0.030,0.78,0.35,1\n";
const char* kRiverOriginal =
    "header\n"
    "1,212.0,212.0,0.0042,28.5,2,0.045,0.0,0.1,0,0,0,1.2,800.0,12.0,8.0,1\n"
    "2,158.0,370.0,0.0051,22.0,0,0.040,0.0,0.1,0,0,1,1.4,650.0,10.0,6.0,1\n";

std::string Table(const std::string& optIdx) {
  std::string text = "No,Name,Default,Lower,Upper,OptIdx,Description\n";
  for (int i = 0; i < 20; ++i)
    text += std::to_string(i + 1) + ",P,1,0.5,1.5," + optIdx[static_cast<size_t>(i)] + ",d\n";
  return text;
}

struct RunDir {
  ScopedTempDir dir;
  RunDir(const std::string& optIdx, const std::string& choice = "1\n3\n") {
    InstallModel(dir.path(), TEST_MODEL_PATH);
    WriteFile(dir / "parameter.in", Table(optIdx));
    WriteFile(dir / "basin_original.txt", kBasinOriginal);
    WriteFile(dir / "river_original.txt", kRiverOriginal);
    WriteFile(dir / "whichModel.txt", "Model Index\n" + choice);
    WriteFile(dir / "streamflow.source", "Day Q1 Q2\n1 10 20\n2 30 40\n");
  }
};

// Runs the model once in the directory with multipliers 2 for parameters 1 to 5
// and 3 for the others; returns the simulated flows and the model choice.
std::string RunOnce(const RunDir& run, int times = 1) {
  ScopedWorkingDirectory cwd(run.dir.path());
  ModelLibrary library;
  ModelEntryPoints entries;
  testing::internal::CaptureStdout();
  bool bound = BindModelLibrary(library, entries);
  testing::internal::GetCapturedStdout();
  if (!bound) return "not bound";
  CalibrationSettings s;
  s.nsub = 2;
  s.nsteps = 2;
  s.nflux = 2;
  s.fluxColumns = IntVector(2);
  s.fluxColumns[0] = 1;
  s.fluxColumns[1] = 1;
  ParameterSet set(20);
  for (int m = 0; m < 20; ++m) set[m] = m < 5 ? 2.0 : 3.0;
  DoubleMatrix flows(2, 2);
  for (int i = 0; i < times; ++i) RunModelOnce(s, set, flows, RunFiles{}, entries);
  ModelChoice choice = ReadModelChoiceFile(RunFiles{});
  return FormatString("models %d %d flows %g %g %g %g", choice.balanceModel, choice.routingModel, flows[0][0],
                      flows[0][1], flows[1][0], flows[1][1]);
}

TEST(RunModelOnce, ScalesTheOptimisedParametersAndCallsTheChosenStages) {
  RunDir run("11001000000000000000");
  std::string outcome = RunOnce(run, 2);
  // Parameters 1, 2 and 5 scaled by 2; 3 and 4 untouched; no compounding over two runs.
  EXPECT_EQ(ReadFile(run.dir / "basin.txt"),
            "Basinid,Soilwhc,Soildepth, Texture, Ks, Area, Interflowlag, Hslope, Baseflowlag, "
            "Rcnumber, Maxcover, Basinloss, Pancoeff, Topsoil, Aridity\n"
            "1,200.0,300.0,2,0.500,212.0,8.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n"
            "2,400.0,240.0,3,1.200,158.0,6.0,0.1200,28.0,72.0,0.05,0.030,0.78,0.35,1\n");
  EXPECT_EQ(ReadFile(run.dir / "river.txt"),
            "Basinid,Area,Uparea,Rivslope,Rivlength,Downid,Rivmanning,Rivloss,Riverploss,Hasdam,"
            "Hasrating,Hasflowdata,Celerity,Diffusion,Rivwidth,Flowref,Runtype\n" +
                std::string(kRiverOriginal).substr(7));
  EXPECT_EQ(ReadFile(run.dir / "whichModel.txt"),
            "Model Index   Index description\n"
            "1 //water balance model:  1= 1D balance, 2= 2D balance\n"
            "3 //routing model:  1=diffusion, 2=Muskingham-Cunge, 3=lag \n");
  EXPECT_EQ(ReadFile(run.dir / "model_calls.log"), "ONELAYERBALANCE\nLAGROUTE\nONELAYERBALANCE\nLAGROUTE\n");
  // The test model scales its flows by Soilwhc / 100 of the first subbasin: 2.
  EXPECT_EQ(outcome, "models 1 3 flows 20 40 60 80");
}

TEST(RunModelOnce, NoOptimisedParameterReproducesTheSourceFiles) {
  RunDir run("00000000000000000000", "2\n2\n");
  std::string outcome = RunOnce(run);
  EXPECT_EQ(ReadFile(run.dir / "basin.txt").substr(ReadFile(run.dir / "basin.txt").find('\n')),
            std::string(kBasinOriginal).substr(6));
  EXPECT_EQ(ReadFile(run.dir / "model_calls.log"), "twolayerbalance\ncungeroute\n");
  EXPECT_EQ(outcome, "models 2 2 flows 10 20 30 40");
}

TEST(RunModelOnce, AModelNumberOutsideTheTableStopsBeforeAnyModelCall) {
  RunDir run("00000000000000000000", "4\n1\n");
  ExpectStop([&] { RunOnce(run); }, StopStyle::Banner,
             "     Error in 'whichModel.txt': water balance model 4 is not 1 or 2 \n");
  EXPECT_EQ(ReadFile(run.dir / "model_calls.log"), "<missing model_calls.log>");
  RunDir routing("00000000000000000000", "1\n0\n");
  ExpectStop([&] { RunOnce(routing); }, StopStyle::Banner,
             "     Error in 'whichModel.txt': routing model 0 is not 1, 2 or 3 \n");
}

TEST(RunModelOnce, AModelThatWritesNoFlowsIsNotScoredOnOldFlows) {
  RunDir run("00000000000000000000");
  std::filesystem::remove(run.dir / "streamflow.source");
  WriteFile(run.dir / "streamflow.txt", "old\n1 1 1\n2 2 2\n");
  ExpectStop([&] { RunOnce(run); }, StopStyle::Banner, "Error opening modeled streamflow output file \n");
}

TEST(RunModelOnce, MissingFilesStopWithTheConventionalNames) {
  const char* files[] = {"parameter.in", "whichModel.txt", "basin_original.txt", "river_original.txt"};
  for (const char* name : files) {
    RunDir run("00000000000000000000");
    std::filesystem::remove(run.dir / name);
    ExpectStop([&] { RunOnce(run); }, StopStyle::Banner, std::string("     Error opening '") + name + "' file \n");
  }
}

}  // namespace
