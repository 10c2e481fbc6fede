#include "streamflow.h"

#include <cmath>
#include <cstring>

#include "checked_files.h"
#include "stop.h"
#include "input_error.h"
#include "run_files.h"
#include "text.h"

namespace {

bool IsMissingWord(std::string_view t) {
  static const char* const kWords[] = {"NaN", "Inf", "Num", "Sub", "+Infinity", "-Infinity", "Uno", ","};
  for (const char* w : kWords)
    if (t == w) return true;
  return false;
}

bool IsTokenSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool StreamflowTokenValue(std::string_view token, double& value) {
  if (IsMissingWord(token)) {
    value = kMissingFlow;
    return true;
  }
  if (token.size() > 1 && token.back() == ',') token.remove_suffix(1);
  double v = 0;
  size_t used = 0;
  if (IsMissingWord(token)) {
    v = kMissingFlow;
  } else if (!ParseRealPrefix(token, v, &used) || used != token.size()) {
    return false;
  }
  float f = static_cast<float>(v);
  value = !std::isfinite(f) || f == static_cast<float>(kMissingFlow) ? kMissingFlow : static_cast<double>(f);
  return true;
}

void ScanStreamflowColumns(std::string_view text, const std::string& path, int rows,
                           const std::vector<int>& columns, double* out, const std::string& rowsFrom) {
  const char* p = text.data();
  const char* end = p + text.size();
  auto lineEnd = [&](const char* from) {
    const void* nl = std::memchr(from, '\n', static_cast<size_t>(end - from));
    return nl ? static_cast<const char*>(nl) : end;
  };
  p = lineEnd(p);  // the header
  const size_t width = columns.size();
  const int lastColumn = width ? columns.back() : 0;
  for (int row = 0; row < rows; ++row) {
    long lineNo = row + 2;
    if (p >= end || p + 1 >= end)
      throw InputError(path, lineNo,
                       "expected " + std::to_string(rows) + " data lines" +
                           (rowsFrom.empty() ? "" : " (" + rowsFrom + ")") + ", found " + std::to_string(row));
    ++p;  // past the line feed
    const char* stop = lineEnd(p);
    int column = -1;  // the label is column 0
    size_t k = 0;
    while (k < width) {
      while (p < stop && IsTokenSpace(*p)) ++p;
      if (p >= stop)
        throw InputError(path, lineNo,
                         "expected a label and at least " + std::to_string(lastColumn) +
                             " value columns, found " + std::to_string(column < 0 ? 0 : column));
      const char* tokenStart = p;
      while (p < stop && !IsTokenSpace(*p)) ++p;
      ++column;
      const std::string_view token(tokenStart, static_cast<size_t>(p - tokenStart));
      for (; k < width && columns[k] == column; ++k)
        if (!StreamflowTokenValue(token, out[static_cast<size_t>(row) * width + k]))
          throw InputError(path, lineNo,
                           "column " + std::to_string(column) + ": expected a number or a missing value, found " +
                               QuoteToken(token));
    }
    p = stop;
  }
}

std::vector<int> FluxColumnPositions(const CalibrationSettings& settings) {
  std::vector<int> positions(static_cast<size_t>(settings.nflux > 0 ? settings.nflux : 0));
  int column = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    column += settings.fluxColumns[static_cast<std::ptrdiff_t>(i)];
    positions[i] = column;
  }
  return positions;
}

void ParseSimulatedFlows(std::string_view text, const std::string& path, const CalibrationSettings& settings,
                         DoubleMatrix& simulated, const std::string& rowsFrom) {
  ScanStreamflowColumns(text, path, settings.nsteps, FluxColumnPositions(settings), simulated[0], rowsFrom);
}

const std::string& ReadStreamflowText() {
  // One buffer for every run: the text of a run is megabytes, and storage
  // taken anew each time costs its pages again.
  static std::string text;
  int cause = 0;
  if (!ReadFileText(kStreamflowFile, text, &cause))
    FailWithBanner("Error opening modeled streamflow output file \n", CannotReadLine(kStreamflowFile, cause));
  return text;
}

void ReadSimulatedFlows(const CalibrationSettings& settings, DoubleMatrix& simulated, const std::string& rowsFrom) {
  ParseSimulatedFlows(ReadStreamflowText(), kStreamflowFile, settings, simulated, rowsFrom);
}
