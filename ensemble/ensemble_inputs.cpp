#include "ensemble_inputs.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "input_error.h"
#include "text.h"

namespace {

// Splits at every comma; a comma that ends the line opens no further field.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  size_t start = 0;
  while (true) {
    size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      std::string_view last = line.substr(start);
      if (!TrimBlanks(last).empty() || fields.empty()) fields.push_back(last);
      return;
    }
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

bool IsMissingObservation(std::string_view field) {
  return field.empty() || EqualsIgnoringCase(field, "nan") || EqualsIgnoringCase(field, "na");
}

// A whole field that is one finite number.
bool ParseWholeNumber(std::string_view field, double& value) {
  size_t used = 0;
  return ParseRealPrefix(field, value, &used) && used == field.size() && std::isfinite(value);
}

}  // namespace

DoubleMatrix ParseObservedSeries(std::string_view text, const std::string& path, int nsteps, int nflux) {
  // Read into a growing list and copied at the end, so that a step count far
  // beyond the file reports the first missing line instead of allocating.
  std::vector<double> read;
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header
  std::vector<std::string_view> fields;
  for (int t = 0; t < nsteps; ++t) {
    if (!lines.Next(line))
      throw InputError(path, lines.LineNumber() + 1,
                       "expected " + std::to_string(nsteps) + " data lines, found " + std::to_string(t));
    long lineNo = lines.LineNumber();
    SplitFields(line, fields);
    if (static_cast<int>(fields.size()) < nflux + 1)
      throw InputError(path, lineNo,
                       "expected a label and " + std::to_string(nflux) + " values, found " +
                           std::to_string(fields.size() > 0 ? fields.size() - 1 : 0) + " values");
    for (int j = 0; j < nflux; ++j) {
      std::string_view field = TrimBlanks(fields[static_cast<size_t>(j) + 1]);
      double value = 0;
      if (IsMissingObservation(field)) {
        value = std::numeric_limits<double>::quiet_NaN();
      } else if (!ParseWholeNumber(field, value)) {
        throw InputError(path, lineNo,
                         "expected a number or an empty field for flux " + std::to_string(j + 1) +
                             " (column " + std::to_string(j + 2) + "), found " + QuoteToken(field));
      }
      read.push_back(value);
    }
  }
  DoubleMatrix observed(nsteps, nflux);
  std::copy(read.begin(), read.end(), observed[0]);
  return observed;
}

DoubleMatrix ParseRunList(std::string_view text, const std::string& path, int nruns, int count, const char* what,
                          std::vector<int>* numbers) {
  // Read into a growing list and copied at the end, so that a run count far
  // beyond the file reports the first missing line instead of allocating.
  std::vector<double> read;
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header
  std::vector<std::string_view> fields;
  int run = 0;
  while (run < nruns && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    ++run;
    long lineNo = lines.LineNumber();
    SplitFields(line, fields);
    int number = 0;
    if (!ParseLeadingInt(fields[0], number))
      throw InputError(path, lineNo, "run " + std::to_string(run) + ": expected the set number");
    if (numbers) numbers->push_back(number);
    if (static_cast<int>(fields.size()) < count + 1)
      throw InputError(path, lineNo,
                       "run " + std::to_string(run) + ": expected " + std::to_string(count) + " " +
                           what + ", found " + std::to_string(fields.size() - 1));
    for (int j = 0; j < count; ++j) {
      std::string_view field = TrimBlanks(fields[static_cast<size_t>(j) + 1]);
      double value = 0;
      if (!ParseWholeNumber(field, value))
        throw InputError(path, lineNo,
                         "run " + std::to_string(run) + ": expected a number in column " +
                             std::to_string(j + 2) + ", found " + QuoteToken(field));
      read.push_back(value);
    }
  }
  if (run < nruns)
    throw InputError(path, 0,
                     "run " + std::to_string(run + 1) + " has no data line (the file holds " +
                         std::to_string(run) + " for " + std::to_string(nruns) + " runs)");
  DoubleMatrix values(nruns, count);
  std::copy(read.begin(), read.end(), values[0]);
  return values;
}
