#include "stats_output.h"

#include <cmath>
#include <cstring>
#include <filesystem>

#include "number_format.h"
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

std::string CountsPathBeside(const std::string& resultPath, const char* name) {
  return (std::filesystem::path(resultPath).parent_path() / name).string();
}

namespace {

PendingFile CreateOutput(const std::string& path) {
  PendingFile file(path, "wb");
  if (!file.IsOpen()) {
    const std::string reason =
        file.OpenCause() == EISDIR ? path + ": is a directory" : path + ": cannot be created (" + std::strerror(file.OpenCause()) + ")";
    throw Stop("Error opening file " + path + "\n", reason + "\n");
  }
  return file;
}

}  // namespace

StatsOutputs::StatsOutputs(const StatsSettings& settings)
    : settings_(settings),
      monthly_(CreateOutput(settings.monthlyFileName)),
      annual_(CreateOutput(settings.annualFileName)),
      monthlyCounts_(CreateOutput(CountsPathBeside(settings.monthlyFileName, "monthly_counts.csv"))),
      annualCounts_(CreateOutput(CountsPathBeside(settings.annualFileName, "annual_counts.csv"))) {}

void StatsOutputs::WriteHeader(const std::string& headerLine) {
  for (PendingFile* file : {&monthly_, &annual_, &monthlyCounts_, &annualCounts_}) {
    file->Write(headerLine);
    file->Write("\n");
  }
}

void StatsOutputs::Row(PendingFile& file, PendingFile& counts, int label, const float* values, const int* valid) {
  const int width = settings_.fieldCount;
  line_.clear();
  AppendStatsLine(line_, label, values, width);
  line_ += '\n';
  file.Write(line_);
  line_.clear();
  AppendInt(line_, label);
  for (int f = 0; f < width; ++f) {
    line_ += ',';
    AppendInt(line_, valid[f]);
  }
  line_ += '\n';
  counts.Write(line_);
}

void StatsOutputs::MonthRow(int label, const float* values, const int* counts) {
  Row(monthly_, monthlyCounts_, label, values, counts);
}

void StatsOutputs::YearRow(int label, const float* values, const int* counts) {
  if (label < settings_.startYear || label > settings_.endYear) return;
  Row(annual_, annualCounts_, label, values, counts);
}

void StatsOutputs::Install() {
  PendingFile* const files[] = {&monthly_, &annual_, &monthlyCounts_, &annualCounts_};
  for (PendingFile* file : files)
    if (int cause = file->Close())
      throw Stop(StopStyle::Plain, file->path() + ": cannot be written (" + std::strerror(cause) + ")\n");
  for (PendingFile* file : files)
    if (int cause = file->Install())
      throw Stop(StopStyle::Plain, file->path() + ": cannot be written (" + std::strerror(cause) + ")\n");
}
