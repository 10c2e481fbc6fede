#include "stats_output.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "file_handle.h"
#include "number_format.h"
#include "run_log.h"

void appendStatsLine(std::string& out, int label, const float* values, int width) {
  AppendInt(out, label);
  for (int f = 0; f < width; ++f) {
    out += ',';
    if (std::isnan(values[f]))
      out += "NaN";
    else
      AppendGeneral(out, static_cast<double>(values[f]));
  }
}

std::string monthlyFileText(const std::string& headerLine, const StatsTable& monthly) {
  std::string out = headerLine + "\n";
  for (size_t i = 0; i < monthly.rows(); ++i) {
    appendStatsLine(out, monthly.labels[i], monthly.row(i), monthly.width);
    out += '\n';
  }
  return out;
}

std::string annualFileText(const std::string& headerLine, const StatsSettings& s,
                           const StatsTable& annual) {
  std::string out = headerLine + "\n";
  size_t i = 0;
  for (int y = s.startYear; y <= s.endYear && i < annual.rows(); ++y, ++i) {
    appendStatsLine(out, y, annual.row(i), annual.width);
    out += '\n';
  }
  return out;
}

static bool writeTextFile(const std::string& path, const std::string& text) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  std::fwrite(text.data(), 1, text.size(), file.get());
  if (int cause = CloseWrittenFile(std::move(file)))
    throw std::runtime_error(path + ": cannot be written (" + std::strerror(cause) + ")");
  return true;
}

bool writeMonthlyFile(const std::string& path, const std::string& headerLine, const StatsTable& monthly) {
  return writeTextFile(path, monthlyFileText(headerLine, monthly));
}

bool writeAnnualFile(const std::string& path, const std::string& headerLine,
                     const StatsSettings& settings, const StatsTable& annual) {
  return writeTextFile(path, annualFileText(headerLine, settings, annual));
}
