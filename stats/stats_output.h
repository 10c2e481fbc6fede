#pragma once
// The output files of Calvor: the monthly and the annual file and, beside
// them, "monthly_counts.csv" and "annual_counts.csv" with the valid days
// behind every figure. Each begins with the header line; every row is its
// label and a comma before every value, values in general notation with six
// significant digits ("NaN" for a period without a figure).
//
// The rows are written as the walk makes them, under temporary names; the
// four files are renamed into place only when all of them are complete.

#include <string>

#include "aggregate.h"
#include "pending_file.h"
#include "stats_settings.h"

// One output line without its line end.
void AppendStatsLine(std::string& out, int label, const float* values, int width);

// The path of a counts file: `name` in the folder of `resultPath`.
std::string CountsPathBeside(const std::string& resultPath, const char* name);

class StatsOutputs : public StatsSink {
 public:
  // Creates the four files' temporaries. One that cannot be created stops
  // with "Error opening file PATH" on standard output and the reason on
  // standard error.
  explicit StatsOutputs(const StatsSettings& settings);

  // Writes the header line to the four files.
  void WriteHeader(const std::string& headerLine);
  void MonthRow(int label, const float* values, const int* counts) override;
  // Only the years from the start year to the end year are written.
  void YearRow(int label, const float* values, const int* counts) override;

  // Closes the four files and renames them into place; a failed write stops
  // with "PATH: cannot be written (reason)" and installs none of them.
  void Install();

 private:
  void Row(PendingFile& file, PendingFile& counts, int label, const float* values, const int* valid);

  const StatsSettings& settings_;
  PendingFile monthly_, annual_, monthlyCounts_, annualCounts_;
  std::string line_;
};
