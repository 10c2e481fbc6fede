#include "calendar.h"

#include <cstdio>

#include "checked_files.h"
#include "input_error.h"
#include "text.h"

RecordDate LastWalkDate(const StatsSettings& s) {
  RecordDate date{s.startYear, s.startMonth, s.startDay};
  long remaining = s.recordCount - 1;
  // Whole months at a time: a walk of millions of records takes a moment only.
  while (remaining > 0 && date.year <= 9999) {
    const int left = DaysInMonth(date.year, date.month - 1) - date.day;
    if (remaining <= left) {
      date.day += static_cast<int>(remaining);
      break;
    }
    remaining -= left + 1;
    date.day = DaysInMonth(date.year, date.month - 1);
    date = NextDay(date);
  }
  return date;
}

int LastWalkYear(const StatsSettings& s) { return LastWalkDate(s).year; }

int YearLabel(const RecordDate& date, int yearStartMonth) {
  return yearStartMonth > 1 && date.month >= yearStartMonth ? date.year + 1 : date.year;
}

int DaysInYear(int label, int yearStartMonth) {
  int days = 0;
  for (int m = 1; m <= 12; ++m) days += DaysInMonth(m >= yearStartMonth && yearStartMonth > 1 ? label - 1 : label, m - 1);
  return days;
}


void CheckSettingsLimits(const StatsSettings& s, const std::string& path) {
  auto refuse = [&](long line, const std::string& what) { throw InputError(path, line, what); };
  if (NameTheSameFile(s.monthlyFileName, s.inputFileName))
    refuse(9, "the monthly output file " + QuoteToken(s.monthlyFileName) + " is the input file; name another file");
  if (NameTheSameFile(s.annualFileName, s.inputFileName))
    refuse(10, "the annual output file " + QuoteToken(s.annualFileName) + " is the input file; name another file");
  if (NameTheSameFile(s.annualFileName, s.monthlyFileName))
    refuse(10, "the annual output file " + QuoteToken(s.annualFileName) + " is the monthly output file; name another file");
  if (s.startYear < 1 || s.startYear > 9999)
    refuse(1, "the start year must lie from 1 to 9999, found " + std::to_string(s.startYear));
  if (s.startMonth < 1 || s.startMonth > 12)
    refuse(2, "the start month must lie from 1 to 12, found " + std::to_string(s.startMonth));
  if (s.startDay < 1 || s.startDay > DaysInMonth(s.startYear, s.startMonth - 1))
    refuse(3, "the start day must lie from 1 to " + std::to_string(DaysInMonth(s.startYear, s.startMonth - 1)) +
                  " in month " + std::to_string(s.startMonth) + " of " + std::to_string(s.startYear) + ", found " +
                  std::to_string(s.startDay));
  if (s.recordCount < 0) refuse(5, "the number of records must not be negative, found " + std::to_string(s.recordCount));
  if (s.fieldCount < 1) refuse(6, "the number of fields must be at least 1, found " + std::to_string(s.fieldCount));
  if (s.recordCount == 0) return;
  const RecordDate last = LastWalkDate(s);
  const int lastLabel = YearLabel(last, s.yearStartMonth);
  if (last.year > 9999 || lastLabel > 9999)
    refuse(5, "the " + std::to_string(s.recordCount) + " records from " +
                  DateText(RecordDate{s.startYear, s.startMonth, s.startDay}) +
                  " reach the year 10000; dates must lie in the years 1 to 9999");
  if (s.endYear < s.startYear || s.endYear > lastLabel)
    refuse(4, "the end year must lie from " + std::to_string(s.startYear) + " to " + std::to_string(lastLabel) +
                  ", the years of the records, found " + std::to_string(s.endYear));
}
