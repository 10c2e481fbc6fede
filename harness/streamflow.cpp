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

double StreamflowTokenValue(std::string_view token) {
  if (IsMissingWord(token)) return kMissingFlow;
  double v = 0;
  if (!ParseRealPrefix(token, v)) v = 0;
  float f = static_cast<float>(v);
  if (!std::isfinite(f) || f == static_cast<float>(kMissingFlow)) return kMissingFlow;
  return static_cast<double>(f);
}

void ScanStreamflowColumns(std::string_view text, const std::string& path, int rows,
                           const std::vector<int>& columns, double* out) {
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
                       "expected " + std::to_string(rows) + " data lines, found " + std::to_string(row));
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
      for (; k < width && columns[k] == column; ++k)
        out[static_cast<size_t>(row) * width + k] =
            StreamflowTokenValue(std::string_view(tokenStart, static_cast<size_t>(p - tokenStart)));
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

void ParseSimulatedFlows(std::string_view text, const std::string& path,
                         const CalibrationSettings& settings, DoubleMatrix& simulated) {
  ScanStreamflowColumns(text, path, settings.nsteps, FluxColumnPositions(settings), simulated[0]);
}

std::string ReadStreamflowText() {
  return ReadFileOrBanner(kStreamflowFile, "Error opening modeled streamflow output file \n");
}

int ReadSimulatedFlows(const CalibrationSettings& settings, DoubleMatrix& simulated) {
  ParseSimulatedFlows(ReadStreamflowText(), kStreamflowFile, settings, simulated);
  return 1;
}
