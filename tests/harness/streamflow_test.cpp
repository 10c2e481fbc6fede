#include <gtest/gtest.h>

#include "streamflow.h"
#include "test_support.h"

namespace {

using testing_support::ExpectInputError;

CalibrationSettings Settings(int nsteps, std::vector<int> columns) {
  CalibrationSettings s;
  s.nsteps = nsteps;
  s.nflux = static_cast<int>(columns.size());
  s.fluxColumns = IntVector(s.nflux);
  for (int i = 0; i < s.nflux; ++i) s.fluxColumns[i] = columns[static_cast<size_t>(i)];
  return s;
}

DoubleMatrix Read(const std::string& text, const CalibrationSettings& s) {
  DoubleMatrix m(s.nsteps, s.nflux);
  ParseSimulatedFlows(text, "streamflow.txt", s, m);
  return m;
}

TEST(Streamflow, ColumnOffsetsCountFromThePreviousFlux) {
  DoubleMatrix a = Read("Day Q1 Q2\n1 3.5 2.25\n", Settings(1, {1, 1}));
  EXPECT_EQ(a[0][0], 3.5);
  EXPECT_EQ(a[0][1], 2.25);
  DoubleMatrix b = Read("Day Q1 Q2\n1 3.5 2.25\n", Settings(1, {2, 0}));
  EXPECT_EQ(b[0][0], 2.25);
  EXPECT_EQ(b[0][1], 2.25);
  DoubleMatrix c = Read("h\r\n1, 3.512, 0.000, 7.5,\r\n2, 1, 2, 3,\r\n", Settings(2, {1, 2}));
  EXPECT_EQ(c[0][0], static_cast<double>(3.512f));
  EXPECT_EQ(c[0][1], 7.5);
  EXPECT_EQ(c[1][1], 3.0);
}

TEST(Streamflow, ValuesPassThroughSinglePrecision) {
  DoubleMatrix m = Read("h\n1 0.1\n", Settings(1, {1}));
  EXPECT_EQ(m[0][0], static_cast<double>(0.1f));
  EXPECT_NE(m[0][0], 0.1);
}

TEST(Streamflow, MissingTokensGiveMissingFlowForTheirFluxOnly) {
  for (const char* token : {"NaN", "Inf", "Num", "Sub", "+Infinity", "-Infinity", "Uno", ",",
                            "NaN,", "nan", "9999999", "1e300"}) {
    DoubleMatrix m = Read(std::string("h\n1 ") + token + " 4.0 5.0\n", Settings(1, {1, 1, 1}));
    EXPECT_EQ(m[0][0], kMissingFlow) << token;
    EXPECT_EQ(m[0][1], 4.0) << token;  // no shift into the next flux
    EXPECT_EQ(m[0][2], 5.0) << token;
  }
}

// A model that writes garbage must not be scored as if it wrote zeros.
TEST(Streamflow, ATokenThatIsNoFlowIsRefusedWithLineAndColumn) {
  for (const char* token : {"abc", "12abc", "1.2.3", "0x1p3", "3.5,,", "1O.5"})
    ExpectInputError([&] { Read(std::string("h\n1 2.0 ") + token + " 4.0\n", Settings(1, {1, 1})); },
                     std::string("streamflow.txt:2: column 2: expected a number or a missing value, found '") + token +
                         "'");
  std::string longToken(100, 'x');
  ExpectInputError([&] { Read("h\n1 " + longToken + "\n", Settings(1, {1})); },
                   "streamflow.txt:2: column 1: expected a number or a missing value, found '" +
                       std::string(40, 'x') + "...'");
  // A column no flux reads is not looked at.
  EXPECT_EQ(Read("h\n1 garbage 4.0\n", Settings(1, {2}))[0][0], 4.0);
}

TEST(Streamflow, ShortLinesAndFilesAreRefused) {
  ExpectInputError([] { Read("h\n1 2.0\n", Settings(1, {1, 1})); },
                   "streamflow.txt:2: expected a label and at least 2 value columns, found 1");
  ExpectInputError([] { Read("h\n1 2.0\n", Settings(2, {1})); },
                   "streamflow.txt:3: expected 2 data lines, found 1");
  ExpectInputError(
      [] {
        DoubleMatrix m(2, 1);
        ParseSimulatedFlows("h\n1 2.0\n", "streamflow.txt", Settings(2, {1}), m, "moscem_param.txt:3");
      },
      "streamflow.txt:3: expected 2 data lines (moscem_param.txt:3), found 1");
  ExpectInputError([] { Read("h\n1 2.0\n\n", Settings(2, {1})); },
                   "streamflow.txt:3: expected a label and at least 1 value columns, found 0");
  ExpectInputError([] { Read("", Settings(1, {1})); }, "streamflow.txt:2: expected 1 data lines, found 0");
}

TEST(Streamflow, ExtraColumnsAndLinesAreIgnored) {
  DoubleMatrix m = Read("h\n1 1 2 3 4 5\n2 6 7 8 9 10\n3 0 0\n", Settings(2, {2}));
  EXPECT_EQ(m[0][0], 2.0);
  EXPECT_EQ(m[1][0], 7.0);
}

}  // namespace
