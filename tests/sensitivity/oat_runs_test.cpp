#include <cmath>

#include <gtest/gtest.h>

#include "oat_runs.h"
#include "streamflow.h"
#include "test_support.h"

namespace {

using namespace testing_support;

TEST(SeriesMoments, MeanSampleVarianceAndDeviation) {
  const float x[] = {2, 4, 4, 4, 5, 5, 7, 9};
  Moments m = SeriesMoments(8, x);
  EXPECT_DOUBLE_EQ(m.mean, 5.0);
  EXPECT_DOUBLE_EQ(m.variance, 32.0 / 7.0);
  EXPECT_DOUBLE_EQ(m.stddev, std::sqrt(32.0 / 7.0));
  const float one[] = {3.5f};
  Moments single = SeriesMoments(1, one);
  EXPECT_EQ(single.mean, 3.5);
  EXPECT_EQ(single.stddev, 0.0);
  Moments none = SeriesMoments(0, nullptr);
  EXPECT_EQ(none.mean, 0.0);
}

TEST(StationFlowStats, LeavesOutNegativeAndMissingValues) {
  RunStatistics s = StationFlowStats({1.0, -1.0, kMissingFlow, 3.0});
  EXPECT_EQ(s.kept, 2);
  EXPECT_EQ(s.max_mod, 3.0);
  EXPECT_EQ(s.mean_mod, 2.0);
  EXPECT_DOUBLE_EQ(s.stddev, std::sqrt(2.0));
  RunStatistics none = StationFlowStats({-2.0, kMissingFlow});
  EXPECT_EQ(none.kept, 0);
  EXPECT_EQ(none.max_mod, 0.0);
  EXPECT_EQ(none.mean_mod, 0.0);
  EXPECT_EQ(none.stddev, 0.0);
}

TEST(Accumulators, SumAbsoluteChangesBetweenConsecutiveFractions) {
  std::vector<SensitivityAccumulator> acc(20);
  const double maxima[] = {10, 12, 10};
  for (int k = 0; k < 400; ++k) {
    RunStatistics s;
    s.max_mod = k % 20 == 6 ? (k / 20 < 3 ? maxima[k / 20] : 10) : 5;
    AccumulateRun(acc, k, k % 20 + 1, s);
  }
  EXPECT_EQ(acc[6].whichParam, 7);
  EXPECT_EQ(acc[6].sumMaxChange, 4.0);
  EXPECT_EQ(acc[0].sumMaxChange, 0.0);
  EXPECT_EQ(acc[6].sumMaxChange / 400, 0.01);
}

TEST(OatRows, ReadsFourHundredRowsAndRefusesBadOnes) {
  std::string text = "whichParam, OAT Parameter Value\n";
  for (int r = 0; r < 400; ++r) text += std::to_string(r % 20 + 1) + ",0.5000\n";
  std::vector<OatRow> rows = ParseOatRows(text, "OAT.txt");
  ASSERT_EQ(rows.size(), 400u);
  EXPECT_EQ(rows[399].whichParam, 20);
  EXPECT_EQ(rows[0].oatValue, 0.5f);
  ExpectInputError([] { ParseOatRows("h\n1,0.5\n", "OAT.txt"); }, "OAT.txt: expected 400 data rows, found 1");
  ExpectInputError([] { ParseOatRows("h\n1,0.5\n21,0.5\n", "OAT.txt"); },
                   "OAT.txt:3: row 2: parameter 21 is not 1 to 20");
  ExpectInputError([] { ParseOatRows("h\n1;x\n", "OAT.txt"); },
                   "OAT.txt:2: row 1: expected a parameter number and a value");
}

TEST(StationColumn, IsTheFirstIntegerOfLineSevenAndAtLeastOne) {
  EXPECT_EQ(ParseStationColumn("1\n2\n3\n4\n5\n6\n3,1,\n", "moscem_param.txt"), 3);
  ExpectInputError([] { ParseStationColumn("1\n2\n3\n4\n5\n6\n0,\n", "moscem_param.txt"); },
                   "moscem_param.txt:7: the station column must be at least 1, found 0");
  ExpectInputError([] { ParseStationColumn("1\n2\n3\n4\n5\n6\nx,\n", "moscem_param.txt"); },
                   "moscem_param.txt:7: expected an integer: the station column");
}

const char* kBasin =
    "h\n1,100.0,150.0,2,0.500,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n"
    "2,200.0,120.0,3,1.200,158.0,3.0,0.1200,28.0,72.0,0.05,0.030,0.78,0.35,3\n";
const char* kRiver =
    "h\n1,212.0,212.0,0.0042,28.5,2,0.045,0.0,0.1,0,0,0,1.2,800.0,12.0,8.0,1\n"
    "2,158.0,370.0,0.0051,22.0,0,0.040,0.0,0.1,0,0,1,1.4,650.0,10.0,6.0,1\n";

// A working directory of two subbasins for WriteOatModelFiles.
void WriteSources(const ScopedTempDir& dir, const char* choice) {
  WriteFile(dir / "basin_original.txt", kBasin);
  WriteFile(dir / "river_original.txt", kRiver);
  WriteFile(dir / "whichModel.txt", choice);
  WriteFile(dir / "balparam.txt", "t\n3\nx\nx\n2\n");
}

// The Aridity column of basin.txt after a run that scales `whichParam`.
std::string AridityAfter(int whichParam, float value) {
  ScopedTempDir dir;
  WriteSources(dir, "x\n1\n3\n");
  ScopedWorkingDirectory cwd(dir.path());
  WriteOatModelFiles(whichParam, value);
  std::string basin = ReadFile(dir / "basin.txt");
  std::string aridity;
  for (size_t end = basin.find('\n'); end + 1 < basin.size(); end = basin.find('\n', end + 1)) {
    size_t next = basin.find('\n', end + 1);
    size_t comma = basin.rfind(',', next);
    aridity += basin.substr(comma + 1, next - comma - 1) + " ";
  }
  return aridity;
}

TEST(WriteOatModelFiles, AppliesTheRainfallExcessModeOfTheScaledParameter) {
  EXPECT_EQ(AridityAfter(4, 1.5f), "1 1 ");
  EXPECT_EQ(AridityAfter(8, 1.5f), "2 2 ");
  EXPECT_EQ(AridityAfter(9, 1.5f), "2 2 ");
  EXPECT_EQ(AridityAfter(5, 1.5f), "2 3 ");
  EXPECT_EQ(AridityAfter(13, 1.5f), "3 5 ");  // 2 x 1.5 + 0.5 and 3 x 1.5 + 0.5, truncated
}

TEST(WriteOatModelFiles, ScalesOnlyTheOneParameter) {
  ScopedTempDir dir;
  WriteSources(dir, "x\n2\n1\n");
  ScopedWorkingDirectory cwd(dir.path());
  ModelChoice choice = WriteOatModelFiles(19, 0.5f);
  EXPECT_EQ(choice.balanceModel, 2);
  EXPECT_EQ(choice.routingModel, 1);
  EXPECT_EQ(ReadFile(dir / "river.txt").substr(ReadFile(dir / "river.txt").find('\n') + 1),
            "1,212.0,212.0,0.0042,28.5,2,0.045,0.0,0.1,0,0,0,0.6,800.0,12.0,8.0,1\n"
            "2,158.0,370.0,0.0051,22.0,0,0.040,0.0,0.1,0,0,1,0.7,650.0,10.0,6.0,1\n");
  EXPECT_EQ(ReadFile(dir / "basin.txt").substr(ReadFile(dir / "basin.txt").find('\n') + 1),
            std::string(kBasin).substr(2));
}

}  // namespace
