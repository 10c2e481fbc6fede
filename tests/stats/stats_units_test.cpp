#include <cmath>

#include <gtest/gtest.h>

#include "aggregate.h"
#include "calendar.h"
#include "daily_series.h"
#include "input_error.h"
#include "stats_settings.h"

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

TEST(DailySeries, SplitsAtEveryCommaAndStopsAtTheFirstEmptyLine) {
  DailySeries series;
  ParseDailySeries("Date,A,B\r\n1990-01-01,1.5,,2.5\r\n,7,8,\n   \n2,abc,+3e2x\n\nafter,9\n", series);
  EXPECT_EQ(series.headerLine, "Date,A,B");
  ASSERT_EQ(series.rowCount(), 4u);
  EXPECT_EQ(series.rowLength(0), 3u);
  EXPECT_EQ(series.row(0)[0], 1.5f);
  EXPECT_TRUE(std::isnan(series.row(0)[1]));
  EXPECT_EQ(series.row(0)[2], 2.5f);
  EXPECT_EQ(series.rowLength(1), 2u);  // the closing comma opens no field
  EXPECT_EQ(series.row(1)[0], 7.0f);
  EXPECT_EQ(series.rowLength(2), 0u);  // blanks only: a record without values
  EXPECT_TRUE(std::isnan(series.row(3)[0]));
  EXPECT_EQ(series.row(3)[1], 300.0f);
}

TEST(DailySeries, WordsAndSignsAloneAreMissing) {
  for (const char* field : {"", "NA", "NaN", "nan", "inf", "-", "abc", " ", "."}) {
    EXPECT_TRUE(std::isnan(ParseDailyValue(field))) << field;
  }
  EXPECT_EQ(ParseDailyValue(" -1.25e1 mm"), -12.5f);
  EXPECT_EQ(ParseDailyValue(".5"), 0.5f);
  EXPECT_EQ(ParseDailyValue("0.1"), static_cast<float>(0.1));
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
