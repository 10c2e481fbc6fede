#include "ensemble_inputs.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "input_error.h"
#include "text.h"

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
    SplitCommaFields(line, fields);
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
      if (!ParseFiniteNumber(field, value))
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
