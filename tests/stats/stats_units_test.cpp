#include <cmath>

#include <gtest/gtest.h>

#include "aggregate.h"
#include "calendar.h"
#include "daily_fields.h"
#include "series_pass.h"
#include "input_error.h"
#include "stats_settings.h"
#include "test_support.h"

namespace {

TEST(Calendar, LeapYearsAndMonthLengths) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(1996));
  EXPECT_FALSE(IsLeapYear(2001));
  EXPECT_EQ(DaysInMonth(1900, 1), 28);
  EXPECT_EQ(DaysInMonth(2000, 1), 29);
  EXPECT_EQ(DaysInMonth(2001, 0), 31);
  EXPECT_EQ(DaysInMonth(2001, 10), 30);
}

TEST(Calendar, LastWalkYearCountsRecordsFromTheStartDate) {
  StatsSettings s;
  s.startYear = 2001;
  s.startMonth = 12;
  s.startDay = 31;
  s.recordCount = 1;
  EXPECT_EQ(LastWalkYear(s), 2001);
  s.recordCount = 2;
  EXPECT_EQ(LastWalkYear(s), 2002);
  s.startMonth = 1;
  s.startDay = 1;
  s.recordCount = 365 + 366;
  s.startYear = 1999;
  EXPECT_EQ(LastWalkYear(s), 2000);
  s.recordCount = 365 + 366 + 1;
  EXPECT_EQ(LastWalkYear(s), 2001);
}

// A field is a number, a missing value or a mistake; nothing is read as half of itself.
TEST(DailyFields, NumbersMissingValuesAndMistakes) {
  float v = 0;
  for (const char* field : {"", "NA", "NaN", "nan", "inf", "-", "abc", " ", ".", "+"})
    EXPECT_EQ(ParseDailyField(field, v), FieldKind::Missing) << field;
  const std::pair<const char*, float> numbers[] = {
      {" -1.25e1 ", -12.5f}, {".5", 0.5f}, {"0.1", 0.1f}, {"\"13.05\"", 13.05f}, {"+3E2", 300.0f}, {"7", 7.0f}};
  for (const auto& [field, value] : numbers) {
    ASSERT_EQ(ParseDailyField(field, v), FieldKind::Number) << field;
    EXPECT_EQ(v, value) << field;
  }
  for (const char* field : {"12abc", "1.2.3", "1O.5", "0x1p3", "1e39", "-1e39", "3.5 mm", "1e"})
    EXPECT_EQ(ParseDailyField(field, v), FieldKind::Bad) << field;
}

TEST(DailyFields, DatesInTheFirstField) {
  RecordDate d;
  ASSERT_TRUE(ParseRecordDate("2001-03-15", d));
  EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 20010315);
  EXPECT_TRUE(ParseRecordDate("2001/03/15", d));
  EXPECT_TRUE(ParseRecordDate("2001-03-15 00:00:00", d));
  EXPECT_TRUE(ParseRecordDate("2001-03-15T12:00", d));
  EXPECT_TRUE(ParseRecordDate(" \"2001-03-15\" ", d));
  for (const char* label : {"15", "d1", "2001-3-15", "20010315", "2001-03-15x", "2001-03/15", ""})
    EXPECT_FALSE(ParseRecordDate(label, d)) << label;
}

TEST(DailyHeader, IsCutToTheColumnsUsed) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(OutputHeader("Date,A,B,C", 2, "d.csv"), "Date,A,B");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "warning: d.csv:1: the header names 3 value columns, but statsparam.txt:6 uses 2; the outputs name the "
            "first 2\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(OutputHeader("Date,A,B", 2, "d.csv"), "Date,A,B");
  EXPECT_EQ(OutputHeader("Date,A", 2, "d.csv"), "Date,A");
  EXPECT_EQ(OutputHeader("Date,A,", 1, "d.csv"), "Date,A,");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Settings, OperationKeywordIgnoresCaseAndBlanks) {
  std::string tail = "\nin\nmon\nann\n";
  EXPECT_EQ(ParseSettings("1\n1\n1\n1\n1\n1\nmax" + tail, "s").operation, StatOperation::Max);
  EXPECT_EQ(ParseSettings("1\n1\n1\n1\n1\n1\nMax " + tail, "s").operation, StatOperation::Max);
  EXPECT_EQ(ParseSettings("1\n1\n1\n1\n1\n1\nMEDIAN" + tail, "s").operation, StatOperation::Median);
  StatsSettings s = ParseSettings("1990 first year\r\n1\n1\n1\n1\n1\nMean\nmy input.csv\nmon\nann\n", "s");
  EXPECT_EQ(s.startYear, 1990);
  EXPECT_EQ(s.inputFileName, "my input.csv");
}

TEST(Settings, OptionalLinesAfterTheTenthTakeTheirDefaultsWhenEmpty) {
  const std::string ten = "2001\n1\n1\n2001\n31\n1\nSum\nin\nmon\nann\n";
  StatsSettings plain = ParseSettings(ten, "s");
  EXPECT_EQ(plain.operation, StatOperation::Sum);
  EXPECT_FALSE(plain.hasMissingCode);
  EXPECT_FALSE(plain.hasMissingShare);
  EXPECT_EQ(plain.yearStartMonth, 1);
  StatsSettings all = ParseSettings(ten + " -999 \n0.25\n10\n", "s");
  EXPECT_TRUE(all.hasMissingCode);
  EXPECT_EQ(all.missingCode, -999.0);
  EXPECT_EQ(all.maxMissingShare, 0.25);
  EXPECT_EQ(all.yearStartMonth, 10);
  StatsSettings later = ParseSettings(ten + "\n\n10\n", "s");  // a later line alone
  EXPECT_FALSE(later.hasMissingCode);
  EXPECT_FALSE(later.hasMissingShare);
  EXPECT_EQ(later.yearStartMonth, 10);
  EXPECT_EQ(SettingsEcho(all).substr(SettingsEcho(plain).size()),
            "Missing value code =-999\nLargest share of missing days =0.25\nFirst month of the year =10\n");
  const std::pair<std::string, std::string> refused[] = {
      {ten + "none\n", "s:11: expected a missing-value code (a number) or an empty line, found 'none'"},
      {ten + "\n1.5\n", "s:12: expected the largest share of missing days (a number from 0 to 1) or an empty line, found '1.5'"},
      {ten + "\n\n13\n", "s:13: expected the first month of the year (1 to 12) or an empty line, found '13'"},
      {ten + "\n\nOctober\n", "s:13: expected the first month of the year (1 to 12) or an empty line, found 'October'"}};
  for (const auto& [text, message] : refused)
    testing_support::ExpectInputError([&] { ParseSettings(text, "s"); }, message);
}

TEST(Settings, FileNamesWithNulCharactersAreRefused) {
  try {
    ParseSettings(std::string("1\n1\n1\n1\n1\n1\nMean\nin\0x\nmon\nann\n", 30), "statsparam.txt");
    ADD_FAILURE() << "no error";
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "statsparam.txt:8: expected the input file name without NUL characters");
  }
}

TEST(Median, OfOddAndEvenCounts) {
  std::vector<float> odd{3, 1, 2};
  EXPECT_EQ(MedianOf(odd), 2.0f);
  std::vector<float> even{4, 1, 3, 2};
  EXPECT_EQ(MedianOf(even), 2.5f);
  std::vector<float> none;
  EXPECT_TRUE(std::isnan(MedianOf(none)));
}

}  // namespace
