#include "daily_series.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "file_handle.h"
#include "stop.h"
#include "text.h"

float ParseDailyValue(std::string_view field) {
  const char* p = field.data();
  const char* end = p + field.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // Only a digit or a decimal point may start a number: "nan" and "inf" are missing values.
  bool startsNumber = p < end && ((*p >= '0' && *p <= '9') ||
                                  (*p == '.' && p + 1 < end && p[1] >= '0' && p[1] <= '9'));
  double v = 0;
  if (!startsNumber || !ParseRealPrefix(std::string_view(p, static_cast<size_t>(end - p)), v))
    return std::numeric_limits<float>::quiet_NaN();
  return static_cast<float>(negative ? -v : v);
}

namespace {

// Reads the field that starts at p, up to the next comma or the end, and
// returns where it ends. A plain decimal is converted in one pass; anything
// else goes through ParseDailyValue.
const char* ReadField(const char* p, const char* end, float& value) {
  const char* start = p;
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  double v = 0;
  const char* stop = ParsePlainDecimal(p, end, v);
  if (stop && (stop == end || *stop == ',')) {
    value = static_cast<float>(negative ? -v : v);
    return stop;
  }
  const void* comma = std::memchr(p, ',', static_cast<size_t>(end - p));
  const char* fieldEnd = comma ? static_cast<const char*>(comma) : end;
  value = ParseDailyValue(std::string_view(start, static_cast<size_t>(fieldEnd - start)));
  return fieldEnd;
}

}  // namespace

void AppendDailyRecord(std::string_view line, DailySeries& series) {
  const char* p = line.data();
  const char* end = p + line.size();
  const void* comma = std::memchr(p, ',', line.size());  // the date field is skipped
  if (comma) {
    p = static_cast<const char*>(comma);
    while (p < end && ++p < end) {  // p stood on a comma; a closing comma opens no field
      float v;
      p = ReadField(p, end, v);
      series.values.push_back(v);
    }
  }
  series.rowStart.push_back(series.values.size());
}

template <typename Lines>
static void ParseLines(Lines& lines, DailySeries& series) {
  std::string_view line;
  if (!lines.Next(line)) return;
  series.headerLine.assign(line);
  while (lines.Next(line) && !line.empty()) AppendDailyRecord(line, series);
}

void ParseDailySeries(std::string_view text, DailySeries& series) {
  LineCursor lines(text);
  ParseLines(lines, series);
}

DailySeries ReadDailySeries(const std::string& path, RunLog& log) {
  DailySeries series;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    const int cause = errno;
    WriteLogLine(log, "Error opening file " + path);
    throw Stop(StopStyle::Plain, path + ": cannot be opened (" + std::strerror(cause) + ")\n");
  }
  // Every value takes at least two characters ("1,"); a typical one six or more.
  // Reserving for that spares the copies of a growing array on large files.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    long size = std::ftell(file.get());
    if (size > 0) series.values.reserve(static_cast<size_t>(size) / 6);
    std::rewind(file.get());
  }
  FileLineReader lines(file.get());
  ParseLines(lines, series);
  return series;
}
