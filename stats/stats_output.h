#pragma once
// The monthly and annual files of Calvor: the input's header line, then one
// line per row: its label and a comma before every value, values in general
// notation with six significant digits ("NaN" for a period without a value).

#include <string>

#include "aggregate.h"
#include "stats_settings.h"

// One output line without its line end.
void appendStatsLine(std::string& out, int label, const float* values, int width);

std::string monthlyFileText(const std::string& headerLine, const StatsTable& monthly);
// The years startYear to endYear, as far as the walk produced them.
std::string annualFileText(const std::string& headerLine, const StatsSettings& settings,
                           const StatsTable& annual);

// Create or truncate the file and write it; false when it cannot be created,
// std::runtime_error ("PATH: cannot be written (reason)") when a write fails.
bool writeMonthlyFile(const std::string& path, const std::string& headerLine, const StatsTable& monthly);
bool writeAnnualFile(const std::string& path, const std::string& headerLine,
                     const StatsSettings& settings, const StatsTable& annual);
