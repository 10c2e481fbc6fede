#include <cmath>

#include <gtest/gtest.h>

#include "ensemble_state.h"
#include "ensemble_inputs.h"
#include "run_control.h"
#include "test_support.h"

namespace {

using testing_support::ExpectInputError;

TEST(SortRunTable, KeepsRowsWholeAndFollowsTheSelectionExchange) {
  // Keys .5 .5 .2 1.0 .1 with the run number as the row's second value.
  const double keys[] = {0.5, 0.5, 0.2, 1.0, 0.1};
  DoubleMatrix table(5, 2);
  for (int k = 0; k < 5; ++k) {
    table[k][0] = keys[k];
    table[k][1] = k + 1;
  }
  SortRunTable(table, 5);
  const double runs[] = {5, 3, 2, 1, 4};  // not stable: run 2 ends ahead of run 1
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(table[k][1], runs[k]) << k;
    EXPECT_EQ(table[k][0], keys[static_cast<int>(runs[k]) - 1]) << k;
  }
}

TEST(SortRunTable, EqualKeysKeepTheirOrderWhenNothingSmallerComesFirst) {
  DoubleMatrix table(3, 2);
  for (int k = 0; k < 3; ++k) {
    table[k][0] = 1e20;
    table[k][1] = k + 1;
  }
  SortRunTable(table, 3);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(table[k][1], k + 1);
}

TEST(MiddleRank, IsTheRowOfRankHalfTheRunsRoundedUp) {
  const int expected[] = {0, 0, 1, 1, 2, 2, 3};
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(MiddleRankIndex(n), expected[n - 1]) << n;
}

TEST(RunControl, ReadsTheCountAndSixteenNamesSpreadOverLines) {
  RunControl c = ParseRunControl(
      "12  runs, free text\r\nobs sets objs\nseries stats bounds bal moscem\ntable basin river\n"
      "bo ro s1 s2\nwhich ignored tokens\n",
      "run.txt");
  EXPECT_EQ(c.nruns, 12);
  EXPECT_EQ(c.files.observedFlowFile, "obs");
  EXPECT_EQ(c.files.boundsOutputFile, "bounds");
  EXPECT_EQ(c.files.subbasinCountFile, "bal");
  EXPECT_EQ(c.files.riverOriginalFile, "ro");
  EXPECT_EQ(c.files.spareName2, "s2");
  EXPECT_EQ(c.files.modelChoiceFile, "which");
  std::string longName(300, 'n');
  RunControl l = ParseRunControl("1\n" + longName + " b c d e f g h i j k l m n o p", "r");
  EXPECT_EQ(l.files.observedFlowFile, longName);
}

TEST(RunControl, RefusesAMissingCountAndMissingNames) {
  ExpectInputError([] { ParseRunControl("runs: 3\n", "r.txt"); },
                   "r.txt:1: expected the number of runs at the start of the line");
  ExpectInputError([] { ParseRunControl("-2\n", "r.txt"); },
                   "r.txt:1: the number of runs must be at least 1, found -2");
  ExpectInputError([] { ParseRunControl("2\na b c d e f g h i j k l m n o\n", "r.txt"); },
                   "r.txt: expected 16 file names after the number of runs, found 15");
}

TEST(ObservedSeries, ReadsLabelledRowsWithMissingValues) {
  DoubleMatrix m(3, 2);
  m = ParseObservedSeries("Date,A,B\n2001-01-01, 1.5 ,2,\n2001-01-02,,NaN,extra\n3,na,4e1\n", "obs.csv", 3, 2);
  EXPECT_EQ(m[0][0], 1.5);
  EXPECT_EQ(m[0][1], 2.0);
  EXPECT_TRUE(std::isnan(m[1][0]));
  EXPECT_TRUE(std::isnan(m[1][1]));
  EXPECT_TRUE(std::isnan(m[2][0]));
  EXPECT_EQ(m[2][1], 40.0);
}

TEST(ObservedSeries, RefusesShortLinesShortFilesAndWords) {
  DoubleMatrix m(2, 2);
  ExpectInputError([&] { m = ParseObservedSeries("h\n1,2,\n", "obs.csv", 2, 2); },
                   "obs.csv:2: expected a label and 2 values, found 1 values");
  ExpectInputError([&] { m = ParseObservedSeries("h\n1,2,3,\n", "obs.csv", 2, 2); },
                   "obs.csv:3: expected 2 data lines, found 1");
  ExpectInputError([&] { m = ParseObservedSeries("h\n1,2,-,\n", "obs.csv", 2, 2); },
                   "obs.csv:2: expected a number or an empty field for flux 2 (column 3), found '-'");
}

TEST(RunList, ReadsOneLinePerRunAndRefusesShortLists) {
  DoubleMatrix v = ParseRunList("No,a,b\n1,0.5,2,\n\n2, 3 ,4,9,\n", "objs.csv", 2, 2, "objective values");
  EXPECT_EQ(v[0][0], 0.5);
  EXPECT_EQ(v[1][0], 3.0);
  EXPECT_EQ(v[1][1], 4.0);
  ExpectInputError([] { ParseRunList("h\n1,2,\n", "o.csv", 1, 2, "objective values"); },
                   "o.csv:2: run 1: expected 2 objective values, found 1");
  ExpectInputError([] { ParseRunList("h\n1,2,x,\n", "o.csv", 1, 2, "objective values"); },
                   "o.csv:2: run 1: expected a number in column 3, found 'x'");
  ExpectInputError([] { ParseRunList("h\n", "sets.csv", 1, 20, "multipliers"); },
                   "sets.csv: run 1 has no data line (the file holds 0 for 1 runs)");
}

TEST(BoundsAndAverage, FoldEveryRunAndDivideAtEveryRun) {
  CalibrationSettings s;
  s.nsteps = 1;
  s.nflux = 1;
  s.nruns = 3;
  EnsembleResults r = AllocateEnsembleResults(s);
  EXPECT_EQ(r.upperBound[0][0], -1.0e12);
  EXPECT_EQ(r.lowerBound[0][0], 1.0e12);
  for (double flow : {0.1, 0.7, 0.4}) {
    r.simulated[0][0] = flow;
    UpdateBoundsAndAverage(s, r);
  }
  EXPECT_EQ(r.lowerBound[0][0], 0.1);
  EXPECT_EQ(r.upperBound[0][0], 0.7);
  EXPECT_EQ(r.average[0][0], 0.1 / 3 + 0.7 / 3 + 0.4 / 3);
}

}  // namespace
