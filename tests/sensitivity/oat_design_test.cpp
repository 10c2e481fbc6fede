#include <gtest/gtest.h>

#include "number_format.h"
#include "oat_design.h"
#include "test_support.h"

namespace {

using testing_support::ExpectInputError;

std::string Range(const std::string& line5) {
  std::string text = "Lower,Upper\n";
  for (int p = 1; p <= 20; ++p) text += p == 5 ? line5 + "\n" : "1,2\n";
  return text;
}

ParameterRange Line5(const std::string& line) {
  ParameterRange ranges[kParameterCount];
  ParseRangeFile(Range(line), "range.txt", ranges);
  return ranges[4];
}

TEST(OatDesign, WorkedExampleOfTheSpecifiedFractions) {
  ParameterRange r;
  r.rangeLow = 50;
  r.rangeHigh = 400;
  r.fieldMin = 100;
  r.fieldMax = 200;
  ParameterRange ranges[kParameterCount];
  for (ParameterRange& each : ranges) each = r;
  ComputeMultipliers(ranges);
  EXPECT_FLOAT_EQ(ranges[0].lowerMultiplier, 0.5f);
  EXPECT_FLOAT_EQ(ranges[0].upperMultiplier, 2.0f);
  std::string values;
  for (float f : kOatFractions) {
    AppendFixed(values, static_cast<double>(OatValue(kAdjustableParameters[0], ranges[0], f)), 4);
    values += ' ';
  }
  EXPECT_EQ(values,
            "0.5000 0.6000 0.7000 0.8000 0.9000 1.0000 1.1000 1.3000 1.4000 1.5000 1.6000 1.7000 "
            "1.8000 1.9000 2.0000 2.0000 2.0000 2.0000 2.0000 2.0000 ");
  // The integer fields divide by the largest value instead of multiplying by its reciprocal.
  EXPECT_EQ(OatValue(kAdjustableParameters[2], ranges[2], 0.3f), 0.3f * 400.0f / 200.0f + 50.0f * (1.0f / 100.0f));
}

TEST(OatDesign, TheFractionsSkipZeroPointThreeFive) {
  EXPECT_EQ(kOatFractions[6], 0.3f);
  EXPECT_EQ(kOatFractions[7], 0.4f);
  EXPECT_EQ(kOatFractions[19], 1.0f);
}

TEST(OatDesign, FieldRangesStartFromTheFirstSubbasin) {
  std::vector<SubbasinRecord> basins(2);
  std::vector<ReachRecord> reaches(2);
  basins[0].soilWhc = 12000;
  basins[1].soilWhc = 15000;
  basins[0].hSlope = -3;
  basins[1].hSlope = -1;
  basins[0].texture = 3;
  basins[1].texture = 1;
  ParameterRange ranges[kParameterCount];
  FindFieldRanges(basins, reaches, ranges);
  EXPECT_EQ(ranges[0].fieldMin, 12000.0f);
  EXPECT_EQ(ranges[0].fieldMax, 15000.0f);
  EXPECT_EQ(ranges[5].fieldMin, -3.0f);
  EXPECT_EQ(ranges[5].fieldMax, -1.0f);
  EXPECT_EQ(ranges[2].fieldMin, 1.0f);
  EXPECT_EQ(ranges[2].fieldMax, 3.0f);
}

TEST(OatDesign, AFieldExtremeOfZeroHoldsBothMultipliersAtOne) {
  ParameterRange ranges[kParameterCount];
  for (ParameterRange& r : ranges) {
    r.rangeLow = 1;
    r.rangeHigh = 4;
    r.fieldMin = 0;
    r.fieldMax = 2;
  }
  ComputeMultipliers(ranges);
  EXPECT_FALSE(ranges[0].finite);
  EXPECT_EQ(ranges[0].lowerMultiplier, 1.0f);
  EXPECT_EQ(ranges[0].upperMultiplier, 1.0f);
  for (float f : kOatFractions) EXPECT_EQ(OatValue(kAdjustableParameters[0], ranges[0], f), 1.0f);
}

TEST(RangeFile, AcceptsOneSeparatorWithBlanksAroundItOrBlanksAlone) {
  for (const char* line : {"50,400", "50 , 400", "50\t;\t400", "50 400", "50,400, mm per day",
                           "50, 400 SoilWhc"}) {
    ParameterRange r = Line5(line);
    EXPECT_EQ(r.rangeLow, 50.0f) << line;
    EXPECT_EQ(r.rangeHigh, 400.0f) << line;
  }
  EXPECT_EQ(Line5("-5 -1").rangeHigh, -1.0f);
  EXPECT_EQ(Line5("0.5,-1").rangeHigh, -1.0f);
}

TEST(RangeFile, RefusesLinesThatDoNotScanAndShortFiles) {
  const char* message = "range.txt:6: expected the lower and upper bound of parameter 5 (Interflow)";
  for (const char* line : {"50,,400", "50", "low,high", "50,abc", ""}) {
    ExpectInputError([&] { Line5(line); }, message);
  }
  ParameterRange ranges[kParameterCount];
  ExpectInputError([&] { ParseRangeFile("h\n1,2\n", "range.txt", ranges); },
                   "range.txt:3: file ends before the range of parameter 2 (Depth)");
}

}  // namespace
