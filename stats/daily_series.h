#pragma once
// The daily input series of Calvor: a header line kept verbatim, then one
// record per line (a date token, then comma-separated values) up to the first
// empty line or the end of the file.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "run_log.h"

struct DailySeries {
  std::string headerLine;
  std::vector<float> values;          // every record's values, one record after another
  std::vector<size_t> rowStart{0};    // record i: values[rowStart[i]] to values[rowStart[i + 1]]
  size_t rowCount() const { return rowStart.size() - 1; }
  size_t rowLength(size_t row) const { return rowStart[row + 1] - rowStart[row]; }
  const float* row(size_t i) const { return values.data() + rowStart[i]; }
};

// One field's value: its leading decimal number, or NaN (a missing value)
// when the field is empty or does not begin with a number.
float ParseDailyValue(std::string_view field);

// Appends one record's values: the line is split at every comma, the first
// field (the date) is skipped, and a comma that ends the line opens no field.
void AppendDailyRecord(std::string_view line, DailySeries& series);

// Fills the series from text (tests) or from a file. A file that cannot be
// opened is logged as "Error opening file PATH" and stops the program with
// the reason on standard error.
void ParseDailySeries(std::string_view text, DailySeries& series);
DailySeries ReadDailySeries(const std::string& path, RunLog& log);
