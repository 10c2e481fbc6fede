// Calvor end to end, in temporary working directories.

#include <functional>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

struct CalvorDir {
  ScopedTempDir dir;
  void Settings(int year, int month, int day, int endYear, int records, int fields,
                const std::string& operation) const {
    WriteFile(dir / "statsparam.txt", std::to_string(year) + "\n" + std::to_string(month) + "\n" +
                                          std::to_string(day) + "\n" + std::to_string(endYear) + "\n" +
                                          std::to_string(records) + "\n" + std::to_string(fields) +
                                          "\n" + operation + "\ndaily.csv\nmonthly.csv\nannual.csv\n");
  }
  // `count` records labelled 1, 2, ...; `values` gives the fields of record r (0-based).
  void Daily(int count, const std::function<std::string(int)>& values, const std::string& header = "Date,A,B") const {
    std::string text = header + "\n";
    for (int r = 0; r < count; ++r) text += "d" + std::to_string(r + 1) + "," + values(r) + "\n";
    WriteFile(dir / "daily.csv", text);
  }
  Outcome Run() const { return RunProgram(dir.path(), CALVOR_PATH); }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
};

// Day-of-month numbers of a year from 1 January.
std::function<std::string(int)> DayOfMonth(int year) {
  return [year](int r) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    for (int m = 0; m < 12; ++m) {
      int dim = days[m] + (m == 1 && leap ? 1 : 0);
      if (r < dim) return std::to_string(r + 1) + ",1";
      r -= dim;
    }
    return std::to_string(r + 1) + ",2";
  };
}

TEST(Calvor, MonthlyAndAnnualMeansOfOneYear) {
  CalvorDir c;
  c.Settings(1990, 1, 1, 1990, 365, 2, "Mean");
  c.Daily(365, DayOfMonth(1990));
  Outcome o = c.Run();
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(c.Read("monthly.csv"),
            "Date,A,B\n199001,16,1\n199002,14.5,1\n199003,16,1\n199004,15.5,1\n199005,16,1\n"
            "199006,15.5,1\n199007,16,1\n199008,16,1\n199009,15.5,1\n199010,16,1\n199011,15.5,1\n"
            "199012,16,1\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A,B\n1990,15.7083,1\n");
  std::string log = c.Read("logfilestats.txt");
  EXPECT_EQ(log.substr(0, log.find("Sum for")),
            "Start Year =1990\nStart Day =1\nNumber of Records =365\nNumer of Fields =2\n"
            "Operation (0-MEAN, 1-MEDIAN, 2-MAX) =0\nInput filename daily.csv\n"
            "Monthly Output filename monthly.csv\nAnnual Output filename annual.csv\n");
  EXPECT_NE(log.find("Sum for the month 1is \n496 31 \nSum for the month 2is \n406 28 \n"), std::string::npos);
  EXPECT_EQ(log.substr(log.find("Sum for the month 12is")),
            "Sum for the month 12is \n496 31 \nCalculating annual mean for year 1990\n\nWriting annual values \n");
}

TEST(Calvor, A366thRecordStartsTheNextYear) {
  CalvorDir c;
  c.Settings(1990, 1, 1, 1991, 366, 2, "mean");
  c.Daily(366, DayOfMonth(1990));
  ASSERT_EQ(c.Run().status, 0);
  std::string monthly = c.Read("monthly.csv");
  EXPECT_EQ(monthly.substr(monthly.rfind("199012")), "199012,16,1\n199101,1,2\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A,B\n1990,15.7083,1\n1991,1,2\n");
}

TEST(Calvor, FebruaryFollowsTheLeapYearRule) {
  for (auto [year, february] : {std::pair{1900, "190002,14.5"}, {2000, "200002,15"}, {1996, "199602,15"}}) {
    CalvorDir c;
    c.Settings(year, 1, 1, year, 90, 1, "Mean");
    c.Daily(90, DayOfMonth(year));
    ASSERT_EQ(c.Run().status, 0);
    EXPECT_NE(c.Read("monthly.csv").find(std::string("\n") + february + "\n"), std::string::npos) << year;
  }
}

TEST(Calvor, OnlyTheFirstMonthStartsOnTheStartDay) {
  CalvorDir c;
  c.Settings(1992, 1, 15, 1992, 17 + 29, 1, "Mean");
  c.Daily(17 + 29, [](int r) { return std::to_string(r < 17 ? 2 : 4) + ",0"; });
  ASSERT_EQ(c.Run().status, 0);
  // January takes 17 records (15 to 31) and divides by them; February is whole.
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A\n199201,2\n199202,4\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A\n1992,3\n");
}

TEST(Calvor, OnlyTheFirstYearStartsInTheStartMonth) {
  CalvorDir c;
  c.Settings(2001, 7, 1, 2002, 184 + 31, 1, "Max");
  c.Daily(184 + 31, [](int r) { return std::to_string(r) + ",0"; });
  ASSERT_EQ(c.Run().status, 0);
  EXPECT_EQ(c.Read("monthly.csv"),
            "Date,A\n200107,30\n200108,61\n200109,91\n200110,122\n200111,152\n200112,183\n200201,214\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A\n2001,183\n2002,214\n");
  std::string log = c.Read("logfilestats.txt");
  EXPECT_NE(log.find("Operation (0-MEAN, 1-MEDIAN, 2-MAX) =2\n"), std::string::npos);
  EXPECT_NE(log.find("Calculating monthly max for month 7\nCalculating monthly max for month 8\n"),
            std::string::npos);
  EXPECT_NE(log.find("Calculating monthly max for month 12\nCalculating monthly max for month 1\n\nWriting annual values \n"),
            std::string::npos);
}

TEST(Calvor, MaximaOfNegativeValuesAreTheirTrueMaxima) {
  CalvorDir c;
  c.Settings(2001, 1, 1, 2001, 40, 1, "MAX");
  c.Daily(40, [](int r) { return std::to_string(-100 + r) + ",0"; });
  ASSERT_EQ(c.Run().status, 0);
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A\n200101,-70\n200102,-61\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A\n2001,-61\n");
}

TEST(Calvor, MediansOfMonthsAndYears) {
  CalvorDir c;
  c.Settings(2001, 1, 1, 2001, 33, 1, " Median ");
  c.Daily(33, [](int r) { return std::to_string(r < 31 ? (r * 7) % 31 : 100 + r) + ",0"; });
  ASSERT_EQ(c.Run().status, 0);
  // January holds 0 to 30 once each; February 131 and 132; the year all 33 values.
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A\n200101,15\n200102,131.5\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A\n2001,16\n");
  std::string log = c.Read("logfilestats.txt");
  EXPECT_NE(log.find("=1\n"), std::string::npos);
  EXPECT_NE(log.find("Calculating monthly median for month 1\nCalculating monthly median for month 2\n"
                     "Calculating annual median for year 2001\n\nWriting annual values \n"),
            std::string::npos);
}

TEST(Calvor, MissingValuesKeepTheirColumnAndEnterNoStatistic) {
  CalvorDir c;
  c.Settings(2001, 1, 1, 2001, 32, 2, "Mean");
  c.Daily(32, [](int r) {
    if (r == 0) return std::string(",5");     // empty field: A missing, B is 5
    if (r < 31) return std::string("NA,1");
    return std::string("3,-");                // February: B missing
  });
  ASSERT_EQ(c.Run().status, 0);
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A,B\n200101,NaN,1.12903\n200102,3,NaN\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A,B\n2001,3,1.12903\n");
}

TEST(Calvor, ValuesUseSixSignificantDigits) {
  CalvorDir c;
  c.Settings(2001, 1, 1, 2001, 31, 2, "Max");
  c.Daily(31, [](int r) { return r == 0 ? std::string("1000000,0.0001") : std::string("123456.7,0.00001"); });
  ASSERT_EQ(c.Run().status, 0);
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A,B\n200101,1e+06,0.0001\n");
  c.Daily(31, [](int) { return std::string("123456.7,0.00001"); });
  ASSERT_EQ(c.Run().status, 0);
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A,B\n200101,123457,1e-05\n");
}

TEST(Calvor, NoRecordsWritesHeadersOnly) {
  CalvorDir c;
  c.Settings(2001, 1, 1, 2001, 0, 1, "Mean");
  WriteFile(c.dir / "daily.csv", "Date,A\n\n2001-01-01,4\n");
  ASSERT_EQ(c.Run().status, 0);
  EXPECT_EQ(c.Read("monthly.csv"), "Date,A\n");
  EXPECT_EQ(c.Read("annual.csv"), "Date,A\n");
  std::string log = c.Read("logfilestats.txt");
  EXPECT_EQ(log.substr(log.find("Annual Output")), "Annual Output filename annual.csv\n\nWriting annual values \n");
}

struct Refusal {
  std::string settings;
  std::string message;
};

TEST(Calvor, BadSettingsAreRefusedWithTheLine) {
  const std::string tail = "daily.csv\nmonthly.csv\nannual.csv\n";
  const Refusal cases[] = {
      {"2001\n1\n1\n2001\n31\n1\nMean\ndaily.csv\n", "statsparam.txt:9: file ends before line 9 (the monthly output file name)"},
      {"2001\n1\n1\n2001\n31\n1\nMean\n\nmonthly.csv\nannual.csv\n", "statsparam.txt:8: expected the input file name"},
      {"2001\nJanuary\n1\n2001\n31\n1\nMean\n" + tail, "statsparam.txt:2: expected an integer: the start month"},
      {"2001\n1\n1\n2001\n31\n1\nAverage\n" + tail, "statsparam.txt:7: expected the operation Mean, Median, Max, Sum or Min, found 'Average'"},
      {"2001\n13\n1\n2001\n31\n1\nMean\n" + tail, "statsparam.txt:2: the start month must lie from 1 to 12, found 13"},
      {"2001\n2\n29\n2001\n31\n1\nMean\n" + tail, "statsparam.txt:3: the start day must lie from 1 to 28 in month 2 of 2001, found 29"},
      {"2001\n1\n1\n2001\n99\n2\nMean\n" + tail, "daily.csv:42: the records end here, after 40 of the 99 records that statsparam.txt:5 asks for"},
      {"2001\n1\n1\n2001\n31\n0\nMean\n" + tail, "statsparam.txt:6: the number of fields must be at least 1, found 0"},
      {"2001\n1\n1\n2002\n31\n2\nMean\n" + tail, "statsparam.txt:4: the end year must lie from 2001 to 2001, the years of the records, found 2002"},
      {"9999\n12\n1\n9999\n32\n2\nMean\n" + tail, "statsparam.txt:5: the 32 records from 9999-12-01 reach the year 10000; dates must lie in the years 1 to 9999"},
      {"2001\n1\n1\n12000\n31\n2\nMean\n" + tail, "statsparam.txt:4: the end year must lie from 2001 to 2001, the years of the records, found 12000"},
      {"2001\n1\n1\n2001\n31\n2\nMean\ndaily.csv\ndaily.csv\nannual.csv\n", "statsparam.txt:9: the monthly output file 'daily.csv' is the input file; name another file"},
      {"2001\n1\n1\n2001\n31\n2\nMean\ndaily.csv\nm.csv\n./m.csv\n", "statsparam.txt:10: the annual output file './m.csv' is the monthly output file; name another file"},
      {"2001\n1\n1\n2001\n31\n3\nMean\n" + tail, "daily.csv:2: expected 3 values after the date, found 2"},
  };
  for (const Refusal& r : cases) {
    CalvorDir c;
    WriteFile(c.dir / "statsparam.txt", r.settings);
    c.Daily(40, [](int) { return std::string("1,2"); });
    Outcome o = c.Run();
    EXPECT_EQ(o.status, 1) << r.message;
    EXPECT_EQ(o.err, r.message + "\n");
    EXPECT_EQ(o.out, "");
    std::string log = c.Read("logfilestats.txt");
    EXPECT_EQ(log.substr(log.size() - r.message.size() - 1), r.message + "\n");
    // A run that fails leaves no output file at all.
    EXPECT_EQ(c.Read("monthly.csv"), "<missing monthly.csv>");
    EXPECT_EQ(c.Read("annual.csv"), "<missing annual.csv>");
    EXPECT_EQ(c.Read("monthly_counts.csv"), "<missing monthly_counts.csv>");
  }
}

TEST(Calvor, FilesThatCannotBeOpened) {
  {
    CalvorDir c;
    c.Settings(2001, 1, 1, 2001, 31, 1, "Mean");
    c.Daily(31, [](int) { return std::string("1,2"); });
    std::filesystem::create_directory(c.dir / "logfilestats.txt");
    Outcome o = c.Run();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "warning: cannot create the run log logfilestats.txt; the run goes on without it\n"
                     "warning: daily.csv:1: the header names 2 value columns, but statsparam.txt:6 uses 1; the "
                     "outputs name the first 1\n");
    EXPECT_EQ(c.Read("monthly.csv"), "Date,A\n200101,1\n");
  }
  {
    CalvorDir c;
    Outcome o = c.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Error opening file statsparam.txt\n");
    EXPECT_EQ(c.Read("logfilestats.txt"), "Error opening file statsparam.txt\n");
  }
  {
    CalvorDir c;
    c.Settings(2001, 1, 1, 2001, 31, 1, "Mean");
    Outcome o = c.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "daily.csv: cannot be opened (No such file or directory)\n");
    std::string log = c.Read("logfilestats.txt");
    EXPECT_EQ(log.substr(log.find("Annual Output")),
              "Annual Output filename annual.csv\nError opening file daily.csv\n" + o.err);
    std::filesystem::create_directory(c.dir / "daily.csv");
    EXPECT_EQ(c.Run().err, "daily.csv: is a directory\n");
  }
  {
    CalvorDir c;
    c.Settings(2001, 1, 1, 2001, 31, 2, "Mean");
    c.Daily(31, [](int) { return std::string("1,2"); });
    WriteFile(c.dir / "monthly.csv", "the old monthly file\n");
    std::filesystem::create_directory(c.dir / "annual.csv");
    Outcome o = c.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "Error opening file annual.csv\n");
    EXPECT_EQ(o.err, "annual.csv: is a directory\n");
    EXPECT_EQ(c.Read("monthly.csv"), "the old monthly file\n");
    std::filesystem::remove(c.dir / "annual.csv");
    c.Settings(2001, 1, 1, 2001, 31, 2, "Mean");
    WriteFile(c.dir / "statsparam.txt", ReadFile(c.dir / "statsparam.txt").replace(
                                            ReadFile(c.dir / "statsparam.txt").find("annual.csv"), 10, "out/a.csv"));
    Outcome missingFolder = c.Run();
    EXPECT_EQ(missingFolder.out, "Error opening file out/a.csv\n");
    EXPECT_EQ(missingFolder.err, "out/a.csv: cannot be created (No such file or directory)\n");
  }
}

// A full disk (/dev/full) fails the write of one output: none of them is
// replaced, the previous files stay as they were and nothing is left behind.
TEST(Calvor, AFailedWriteKeepsThePreviousOutputs) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  for (const char* name : {"monthly.csv", "annual.csv", "annual_counts.csv"}) {
    CalvorDir c;
    c.Settings(2001, 1, 1, 2001, 31, 2, "Mean");
    c.Daily(31, [](int) { return std::string("1,2"); });
    WriteFile(c.dir / "monthly.csv", "old monthly\n");
    WriteFile(c.dir / "annual.csv", "old annual\n");
    std::filesystem::create_symlink("/dev/full", c.dir / (std::string(name) + ".tmp"));
    Outcome o = c.Run();
    EXPECT_EQ(o.status, 1) << name;
    EXPECT_EQ(o.err, std::string(name) + ": cannot be written (No space left on device)\n");
    EXPECT_EQ(c.Read("monthly.csv"), "old monthly\n") << name;
    EXPECT_EQ(c.Read("annual.csv"), "old annual\n") << name;
    EXPECT_EQ(c.Read("monthly_counts.csv"), "<missing monthly_counts.csv>") << name;
    std::string log = c.Read("logfilestats.txt");
    EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1), o.err);
  }
}

}  // namespace
