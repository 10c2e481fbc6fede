// Calvor reads every value it uses, checks the dates the series states and
// says every failure on the terminal.

#include <filesystem>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

struct Series {
  ScopedTempDir dir;
  explicit Series(const std::string& settingsTail = "") {
    WriteFile(dir / "statsparam.txt",
              "2001\n3\n1\n2001\n31\n2\nMean\ndaily.csv\nmonthly.csv\nannual.csv\n" + settingsTail);
  }
  // Dated records from 2001-03-01 with `values`, and then `more` lines as they stand.
  void Daily(int days, const std::string& values = "1,2", const std::string& more = "") const {
    std::string text = "Date,A,B\n";
    for (int d = 1; d <= days; ++d) text += "2001-03-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + "," + values + "\n";
    WriteFile(dir / "daily.csv", text + more);
  }
  Outcome Run(const std::string& arguments = "") const { return RunProgram(dir.path(), CALVOR_PATH, arguments); }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
};

TEST(CalvorDates, AStatedDateOffTheWalkStopsAtItsLine) {
  {
    Series s;  // a day missing: the 15th is not there, so the 16th stands where the 15th belongs
    std::string text = "Date,A,B\n";
    for (int d = 1; d <= 32; ++d)
      if (d != 15) text += "2001-03-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + ",1,2\n";
    WriteFile(s.dir / "daily.csv", text);
    Outcome o = s.Run();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "daily.csv:16: date 2001-03-16, expected 2001-03-15 (start date and record count come from "
                     "statsparam.txt)\n");
    EXPECT_EQ(s.Read("monthly.csv"), "<missing monthly.csv>");
  }
  {
    Series s;  // a series that starts a day late
    std::string text = "Date,A,B\n";
    for (int d = 2; d <= 32; ++d) text += "2001/03/" + std::string(d < 10 ? "0" : "") + std::to_string(d) + " 00:00,1,2\n";
    WriteFile(s.dir / "daily.csv", text);
    EXPECT_EQ(s.Run().err, "daily.csv:2: date 2001-03-02, expected 2001-03-01 (start date and record count come "
                           "from statsparam.txt)\n");
  }
  {
    Series s;  // day numbers are no dates: nothing to check
    std::string text = "Day,A,B\n";
    for (int d = 1; d <= 31; ++d) text += std::to_string(d) + ",1,2\n";
    WriteFile(s.dir / "daily.csv", text);
    Outcome o = s.Run();
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(s.Read("monthly.csv"), "Day,A,B\n200103,1,2\n");
  }
  {
    Series s;  // a month and a year change, a leap day where there is none
    WriteFile(s.dir / "statsparam.txt", "2003\n2\n27\n2003\n4\n1\nMean\ndaily.csv\nmonthly.csv\nannual.csv\n");
    WriteFile(s.dir / "daily.csv", "Date,A\n2003-02-27,1\n2003-02-28,1\n2003-02-29,1\n2003-03-01,1\n");
    EXPECT_EQ(s.Run().err, "daily.csv:4: date 2003-02-29, expected 2003-03-01 (start date and record count come "
                           "from statsparam.txt)\n");
  }
}

TEST(CalvorNumbers, AValueThatIsNoNumberStopsWithLineAndColumn) {
  for (const char* token : {"12abc", "1.2.3", "1O.5", "0x1p3", "1e39"}) {
    Series s;
    s.Daily(31, "1,2", "");
    std::string text = s.Read("daily.csv");
    text.replace(text.find("2001-03-07,1,2"), 14, std::string("2001-03-07,1,") + token);
    WriteFile(s.dir / "daily.csv", text);
    Outcome o = s.Run();
    EXPECT_EQ(o.status, 1) << token;
    EXPECT_EQ(o.err, std::string("daily.csv:8: column 2: expected a number or a missing value, found '") + token +
                         "'\n");
  }
  Series quoted;
  quoted.Daily(31, "\"13.05\", NA ");
  ASSERT_EQ(quoted.Run().status, 0);
  EXPECT_EQ(quoted.Read("monthly.csv"), "Date,A,B\n200103,13.05,NaN\n");
}

TEST(CalvorNumbers, AMissingValueCodeMakesItsValuesMissing) {
  Series s("-999\n");
  std::string values;
  std::string text = "Date,A,B\n";
  for (int d = 1; d <= 31; ++d)
    text += "2001-03-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + (d % 2 ? ",-999,4\n" : ",3,-999.0\n");
  WriteFile(s.dir / "daily.csv", text);
  Outcome o = s.Run();
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(s.Read("monthly.csv"), "Date,A,B\n200103,3,4\n");
  EXPECT_EQ(s.Read("monthly_counts.csv"), "Date,A,B\n200103,15,16\n");
  EXPECT_NE(s.Read("logfilestats.txt").find("Annual Output filename annual.csv\nMissing value code =-999\n"),
            std::string::npos);
  // Ten lines, or an empty eleventh, keep every value.
  WriteFile(s.dir / "statsparam.txt", "2001\n3\n1\n2001\n31\n2\nMean\ndaily.csv\nmonthly.csv\nannual.csv\n\n");
  ASSERT_EQ(s.Run().status, 0);
  EXPECT_EQ(s.Read("monthly.csv"), "Date,A,B\n200103,-514.161,-481.323\n");
}

TEST(CalvorFiles, ASeriesThatEndsEarlyNamesItsLineAndTheCountAskedFor) {
  Series blank;
  blank.Daily(20, "1,2", "\n2001-03-21,1,2\n");
  Outcome o = blank.Run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "daily.csv:22: the records end at this empty line, after 20 of the 31 records that "
                   "statsparam.txt:5 asks for\n");
  Series shortFile;
  shortFile.Daily(20);
  EXPECT_EQ(shortFile.Run().err,
            "daily.csv:22: the records end here, after 20 of the 31 records that statsparam.txt:5 asks for\n");
  Series shortRecord;
  shortRecord.Daily(31, "1");
  EXPECT_EQ(shortRecord.Run().err, "daily.csv:2: expected 2 values after the date, found 1\n");
}

TEST(CalvorFiles, AHeaderWithMoreNamesIsCutToTheColumnsUsed) {
  Series s;
  s.Daily(31, "1,2,3,4");
  std::string text = s.Read("daily.csv");
  WriteFile(s.dir / "daily.csv", "Date,A,B,C,D" + text.substr(text.find('\n')));
  Outcome o = s.Run();
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "warning: daily.csv:1: the header names 4 value columns, but statsparam.txt:6 uses 2; the "
                   "outputs name the first 2\n");
  EXPECT_EQ(s.Read("monthly.csv"), "Date,A,B\n200103,1,2\n");
}

TEST(CalvorArguments, HelpAndVersionPrintAndAnythingElseIsRefusedWithoutTouchingAFile) {
  Series s;
  s.Daily(31);
  for (const char* flag : {"--help", "-h"}) {
    Outcome o = s.Run(flag);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.rfind("usage: Calvor [--help] [--version]\nTurns a daily multi-column series", 0), 0u);
    EXPECT_NE(o.out.find("  11  a missing-value code"), std::string::npos);
  }
  EXPECT_EQ(s.Run("--version").out.rfind("Calvor ", 0), 0u);
  Outcome bad = s.Run("--force");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "Calvor: unexpected argument --force\nusage: Calvor [--help] [--version]\n");
  EXPECT_EQ(s.Read("logfilestats.txt"), "<missing logfilestats.txt>");
  EXPECT_EQ(s.Read("monthly.csv"), "<missing monthly.csv>");
}

}  // namespace
