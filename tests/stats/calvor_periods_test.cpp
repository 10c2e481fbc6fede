// Sums, minima, coverage and water years.

#include <cstdio>
#include <functional>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

struct Periods {
  ScopedTempDir dir;
  void Settings(int year, int month, int endYear, int records, const std::string& operation,
                const std::string& optional = "") const {
    WriteFile(dir / "statsparam.txt", std::to_string(year) + "\n" + std::to_string(month) + "\n1\n" +
                                          std::to_string(endYear) + "\n" + std::to_string(records) + "\n1\n" +
                                          operation + "\ndaily.csv\nmonthly.csv\nannual.csv\n" + optional);
  }
  // One column; record r (0-based) holds values(r).
  void Daily(int count, const std::function<std::string(int)>& values) const {
    std::string text = "Day,Q\n";
    for (int r = 0; r < count; ++r) text += std::to_string(r + 1) + "," + values(r) + "\n";
    WriteFile(dir / "daily.csv", text);
  }
  std::string Run() const {
    Outcome o = RunProgram(dir.path(), CALVOR_PATH);
    EXPECT_EQ(o.status, 0) << o.err;
    return ReadFile(dir / "monthly.csv") + "--\n" + ReadFile(dir / "annual.csv");
  }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
};

// January: 1 to 31 with day 2 missing; February: every day missing; March: 1 to 31.
std::string HandMadeQuarter(int r) {
  if (r == 1 || (r >= 31 && r < 59)) return "NA";
  return std::to_string(r < 31 ? r + 1 : r - 58);
}

TEST(CalvorPeriods, SumsAndMinimaOfMonthsAndYears) {
  Periods p;
  p.Settings(2001, 1, 2001, 90, "sum");
  p.Daily(90, HandMadeQuarter);
  // January 496 - 2; an all-missing February is NaN, not 0; the year sums its days.
  EXPECT_EQ(p.Run(), "Day,Q\n200101,494\n200102,NaN\n200103,496\n--\nDay,Q\n2001,990\n");
  EXPECT_EQ(p.Read("monthly_counts.csv"), "Day,Q\n200101,30\n200102,0\n200103,31\n");
  EXPECT_EQ(p.Read("annual_counts.csv"), "Day,Q\n2001,61\n");
  EXPECT_NE(p.Read("logfilestats.txt").find("=3\n"), std::string::npos);
  EXPECT_NE(p.Read("logfilestats.txt").find("Calculating monthly sum for month 2\nCalculating monthly sum for "
                                            "month 3\nCalculating annual sum for year 2001\n"),
            std::string::npos);
  p.Settings(2001, 1, 2001, 90, "Min");
  p.Daily(90, [](int r) { return r == 40 ? std::string("-4.5") : HandMadeQuarter(r); });
  EXPECT_EQ(p.Run(), "Day,Q\n200101,1\n200102,-4.5\n200103,1\n--\nDay,Q\n2001,-4.5\n");
}

TEST(CalvorPeriods, APeriodWithMoreMissingDaysThanAllowedIsNaN) {
  Periods p;
  // January misses 3 of 31 days: a share of 3/31 is allowed exactly, a little less is not.
  auto january = [](int r) { return r < 3 ? std::string("NA") : std::string("2"); };
  char share[32];
  std::snprintf(share, sizeof share, "%.17g", 3.0 / 31.0);
  p.Settings(2001, 1, 2001, 31, "Mean", "\n" + std::string(share) + "\n");
  p.Daily(31, january);
  EXPECT_EQ(p.Run(), "Day,Q\n200101,2\n--\nDay,Q\n2001,NaN\n");  // the year misses 337 of 365 days
  EXPECT_NE(p.Read("logfilestats.txt").find("Largest share of missing days =0.0967742\n"), std::string::npos);
  p.Settings(2001, 1, 2001, 31, "Mean", "\n0.0967\n");
  EXPECT_EQ(p.Run(), "Day,Q\n200101,NaN\n--\nDay,Q\n2001,NaN\n");
  // A whole year with one month short: a mean of months is NaN, a sum of days is kept when the year may miss that.
  auto year = [](int r) { return r >= 31 && r < 41 ? std::string("NA") : std::string("1"); };  // 10 February days
  p.Settings(2001, 1, 2001, 365, "Mean", "\n0.3\n");
  p.Daily(365, year);
  EXPECT_EQ(p.Run().substr(p.Run().find("--")), "--\nDay,Q\n2001,NaN\n");
  p.Settings(2001, 1, 2001, 365, "Sum", "\n0.3\n");
  EXPECT_EQ(p.Run().substr(p.Run().find("--")), "--\nDay,Q\n2001,355\n");
  EXPECT_EQ(p.Read("monthly.csv").substr(0, 26), "Day,Q\n200101,31\n200102,NaN");
  p.Settings(2001, 1, 2001, 365, "Mean", "\n0.4\n");
  EXPECT_EQ(p.Run().substr(p.Run().find("--")), "--\nDay,Q\n2001,1\n");
}

TEST(CalvorPeriods, WaterYearsAreLabelledByTheYearTheyEndIn) {
  Periods p;
  // From 2000-08-01 (a partial water year 2000) over the leap day of 2004 to 2004-09-30.
  int records = 0;
  for (int y = 2000; y <= 2004; ++y) records += (y % 4 == 0 ? 366 : 365);
  records -= 31 + 29 + 31 + 30 + 31 + 30 + 31;  // 2000 from August
  records -= 31 + 30 + 31;                      // 2004 to September
  p.Settings(2000, 8, 2004, records, "Sum", "\n\n10\n");
  p.Daily(records, [](int) { return std::string("1"); });
  std::string out = p.Run();
  EXPECT_EQ(out.substr(out.find("--")), "--\nDay,Q\n2000,61\n2001,365\n2002,365\n2003,365\n2004,366\n");
  EXPECT_EQ(p.Read("monthly.csv").substr(0, 26), "Day,Q\n200008,31\n200009,30\n");
  EXPECT_NE(p.Read("monthly.csv").find("\n200402,29\n"), std::string::npos);
  EXPECT_NE(p.Read("logfilestats.txt").find("Calculating annual sum for year 2001\n"), std::string::npos);
  // A series that starts in October starts the next water year.
  p.Settings(2001, 10, 2002, 31, "Sum", "\n\n10\n");
  p.Daily(31, [](int) { return std::string("2"); });
  EXPECT_EQ(p.Run(), "Day,Q\n200110,62\n--\nDay,Q\n2002,62\n");
}

}  // namespace
