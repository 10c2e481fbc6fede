#pragma once
// The monthly and annual files of Calvor: the input's header line, then one
// line per row: its label and a comma before every value, values in general
// notation with six significant digits ("NaN" for a period without a value).

#include <string>

#include "aggregate.h"
#include "stats_settings.h"

// One output line without its line end.
void AppendStatsLine(std::string& out, int label, const float* values, int width);

std::string MonthlyFileText(const std::string& headerLine, const StatsTable& monthly);
// The years startYear to endYear, as far as the walk produced them.
std::string AnnualFileText(const std::string& headerLine, const StatsSettings& settings,
                           const StatsTable& annual);

// Create or truncate the file and write it. A file that cannot be created
// stops with "Error opening file PATH" on standard output and the reason on
// standard error; a failed write with "PATH: cannot be written (reason)".
void WriteMonthlyFile(const std::string& path, const std::string& headerLine, const StatsTable& monthly);
void WriteAnnualFile(const std::string& path, const std::string& headerLine, const StatsSettings& settings,
                     const StatsTable& annual);
