#pragma once
// The settings of Calvor, read from "statsparam.txt": ten lines, one value
// each, and up to three optional lines after them.

#include <string>
#include <string_view>

#include "run_log.h"

// The number of each operation is the one the run log shows.
enum class StatOperation { Mean = 0, Median = 1, Max = 2, Sum = 3, Min = 4 };

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
  // Line 11: a value that stands for a missing day (such as -999).
  bool hasMissingCode = false;
  double missingCode = 0;
  // Line 12: the largest share of missing days a month or year may have.
  bool hasMissingShare = false;
  double maxMissingShare = 1;
  // Line 13: the first month of the year (10 for water years from October).
  int yearStartMonth = 1;
};

// Parses the ten lines and the optional ones (an empty optional line takes
// its default); throws InputError naming the line and field.
StatsSettings ParseSettings(std::string_view text, const std::string& path);

// The echo lines that the run log shows for the settings: eight, and one for
// each optional setting that is given.
std::string SettingsEcho(const StatsSettings& settings);

// Reads the settings file and writes the echo block to the log. A file that
// cannot be opened stops with "Error opening file PATH".
StatsSettings ReadSettings(const std::string& path, RunLog& log);
