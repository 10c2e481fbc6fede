#include "daily_series.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "text.h"

float parseDailyValue(std::string_view field) {
  const char* p = field.data();
  const char* end = p + field.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // Only a digit or a decimal point may start a number: "nan" and "inf" are missing values.
  bool startsNumber = p < end && ((*p >= '0' && *p <= '9') ||
                                  (*p == '.' && p + 1 < end && p[1] >= '0' && p[1] <= '9'));
  double v = 0;
  if (!startsNumber || std::from_chars(p, end, v).ec == std::errc::invalid_argument)
    return std::numeric_limits<float>::quiet_NaN();
  return static_cast<float>(negative ? -v : v);
}

void appendDailyRecord(std::string_view line, DailySeries& series) {
  const char* p = line.data();
  const char* end = p + line.size();
  const void* comma = std::memchr(p, ',', line.size());
  while (comma) {
    p = static_cast<const char*>(comma) + 1;
    if (p == end) break;  // a closing comma opens no field
    comma = std::memchr(p, ',', static_cast<size_t>(end - p));
    const char* stop = comma ? static_cast<const char*>(comma) : end;
    series.values.push_back(parseDailyValue(std::string_view(p, static_cast<size_t>(stop - p))));
  }
  series.rowStart.push_back(series.values.size());
}

template <typename Lines>
static void parseLines(Lines& lines, DailySeries& series) {
  std::string_view line;
  if (!lines.Next(line)) return;
  series.headerLine.assign(line);
  while (lines.Next(line) && !line.empty()) appendDailyRecord(line, series);
}

void parseDailySeries(std::string_view text, DailySeries& series) {
  LineCursor lines(text);
  parseLines(lines, series);
}

bool readDailySeries(const std::string& path, DailySeries& series) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return false;
  FileLineReader lines(file.get());
  parseLines(lines, series);
  return true;
}
