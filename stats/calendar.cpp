#include "calendar.h"

#include "input_error.h"

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int monthIndex) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[monthIndex] + (monthIndex == 1 && IsLeapYear(year) ? 1 : 0);
}

int LastWalkYear(const StatsSettings& s) {
  long remaining = s.recordCount;
  int year = s.startYear, month = s.startMonth - 1;
  remaining -= DaysInMonth(year, month) - (s.startDay - 1);
  while (remaining > 0) {
    if (++month == 12) {
      month = 0;
      ++year;
    }
    remaining -= DaysInMonth(year, month);
  }
  return year;
}

void CheckSettingsLimits(const StatsSettings& s, const DailySeries& series, const std::string& path) {
  auto refuse = [&](long line, const std::string& what) { throw InputError(path, line, what); };
  if (s.startYear < 1 || s.startYear > 9999)
    refuse(1, "the start year must lie from 1 to 9999, found " + std::to_string(s.startYear));
  if (s.startMonth < 1 || s.startMonth > 12)
    refuse(2, "the start month must lie from 1 to 12, found " + std::to_string(s.startMonth));
  if (s.startDay < 1 || s.startDay > DaysInMonth(s.startYear, s.startMonth - 1))
    refuse(3, "the start day must lie from 1 to " +
                  std::to_string(DaysInMonth(s.startYear, s.startMonth - 1)) + " in month " +
                  std::to_string(s.startMonth) + " of " + std::to_string(s.startYear) + ", found " +
                  std::to_string(s.startDay));
  if (s.recordCount < 0 || static_cast<size_t>(s.recordCount) > series.rowCount())
    refuse(5, "the number of records must lie from 0 to the " + std::to_string(series.rowCount()) +
                  " records of " + s.inputFileName + ", found " + std::to_string(s.recordCount));
  if (s.fieldCount < 1)
    refuse(6, "the number of fields must be at least 1, found " + std::to_string(s.fieldCount));
  if (s.recordCount > 0) {
    int last = LastWalkYear(s);
    if (s.endYear < s.startYear || s.endYear > last)
      refuse(4, "the end year must lie from " + std::to_string(s.startYear) + " to " +
                    std::to_string(last) + ", the years of the records, found " +
                    std::to_string(s.endYear));
  }
  for (int r = 0; r < s.recordCount; ++r)
    if (series.rowLength(static_cast<size_t>(r)) < static_cast<size_t>(s.fieldCount))
      throw InputError(s.inputFileName, r + 2,
                       "expected " + std::to_string(s.fieldCount) + " values after the date, found " +
                           std::to_string(series.rowLength(static_cast<size_t>(r))));
}
