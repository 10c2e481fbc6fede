#pragma once
// The settings of Calvor, read from "statsparam.txt": ten lines, one value each.

#include <string>
#include <string_view>

#include "run_log.h"

// The number of each operation is the one the run log shows.
enum class StatOperation { Mean = 0, Median = 1, Max = 2 };

struct StatsSettings {
  int startYear = 0;
  int startMonth = 0;   // 1 to 12: month of the first record
  int startDay = 0;     // 1 to 31: day of the first record
  int endYear = 0;      // last year written to the annual file
  int recordCount = 0;  // daily records the walk consumes
  int fieldCount = 0;   // value columns used from every record
  StatOperation operation = StatOperation::Mean;
  std::string inputFileName;
  std::string monthlyFileName;
  std::string annualFileName;
};

// Parses the ten lines; throws InputError naming the line and field.
StatsSettings ParseSettings(std::string_view text, const std::string& path);

// The eight echo lines that the run log shows for the settings.
std::string SettingsEcho(const StatsSettings& settings);

// Reads the settings file and writes the echo block to the log. A file that
// cannot be opened stops with "Error opening file PATH".
StatsSettings ReadSettings(const std::string& path, RunLog& log);
