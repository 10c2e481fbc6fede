#include "observed_series.h"

#include <algorithm>
#include <limits>

#include "input_error.h"
#include "text.h"

namespace {

bool IsMissingObservation(std::string_view field) {
  return field.empty() || EqualsIgnoringCase(field, "nan") || EqualsIgnoringCase(field, "na");
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
    SplitCommaFields(line, fields);
    if (static_cast<int>(fields.size()) < nflux + 1)
      throw InputError(path, lineNo,
                       "expected a label and " + std::to_string(nflux) + " values, found " +
                           std::to_string(fields.size() > 0 ? fields.size() - 1 : 0) + " values");
    for (int j = 0; j < nflux; ++j) {
      std::string_view field = TrimBlanks(fields[static_cast<size_t>(j) + 1]);
      double value = 0;
      if (IsMissingObservation(field)) {
        value = std::numeric_limits<double>::quiet_NaN();
      } else if (!ParseFiniteNumber(field, value)) {
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


std::vector<std::string> ObservedStationNames(std::string_view text, int nflux) {
  const std::string_view header = text.substr(0, text.find_first_of("\r\n"));
  std::vector<std::string> fields;
  size_t start = 0;
  while (start <= header.size()) {
    const size_t comma = std::min(header.find(',', start), header.size());
    std::string field(header.substr(start, comma - start));
    field.erase(std::remove_if(field.begin(), field.end(), [](char c) { return c == '"' || c == ' ' || c == '\t'; }),
                field.end());
    fields.push_back(field);
    start = comma + 1;
  }
  std::vector<std::string> names;
  for (int j = 0; j < nflux; ++j) {
    const size_t at = static_cast<size_t>(j) + 1;
    names.push_back(at < fields.size() && !fields[at].empty() ? fields[at] : "Station" + std::to_string(j + 1));
  }
  return names;
}
