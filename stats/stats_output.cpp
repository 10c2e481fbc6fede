#include "stats_output.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "file_handle.h"
#include "number_format.h"
#include "run_log.h"
#include "stop.h"

void AppendStatsLine(std::string& out, int label, const float* values, int width) {
  AppendInt(out, label);
  for (int f = 0; f < width; ++f) {
    out += ',';
    if (std::isnan(values[f]))
      out += "NaN";
    else
      AppendGeneral(out, static_cast<double>(values[f]));
  }
}

std::string MonthlyFileText(const std::string& headerLine, const StatsTable& monthly) {
  std::string out = headerLine + "\n";
  for (size_t i = 0; i < monthly.rows(); ++i) {
    AppendStatsLine(out, monthly.labels[i], monthly.row(i), monthly.width);
    out += '\n';
  }
  return out;
}

std::string AnnualFileText(const std::string& headerLine, const StatsSettings& s,
                           const StatsTable& annual) {
  std::string out = headerLine + "\n";
  size_t i = 0;
  for (int y = s.startYear; y <= s.endYear && i < annual.rows(); ++y, ++i) {
    AppendStatsLine(out, y, annual.row(i), annual.width);
    out += '\n';
  }
  return out;
}

static void WriteTextFile(const std::string& path, const std::string& text) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file)
    throw Stop("Error opening file " + path + "\n", path + ": cannot be created (" + std::strerror(errno) + ")\n");
  std::fwrite(text.data(), 1, text.size(), file.get());
  if (int cause = CloseWrittenFile(std::move(file)))
    throw Stop(StopStyle::Plain, path + ": cannot be written (" + std::strerror(cause) + ")\n");
}

void WriteMonthlyFile(const std::string& path, const std::string& headerLine, const StatsTable& monthly) {
  WriteTextFile(path, MonthlyFileText(headerLine, monthly));
}

void WriteAnnualFile(const std::string& path, const std::string& headerLine, const StatsSettings& settings,
                     const StatsTable& annual) {
  WriteTextFile(path, AnnualFileText(headerLine, settings, annual));
}
