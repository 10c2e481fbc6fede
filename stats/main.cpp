// Calvor: turns a daily multi-column series into monthly and annual means,
// maxima or medians. Everything it needs stands in "statsparam.txt"; its
// progress goes to "logfilestats.txt".

#include <cstdio>
#include <exception>

#include "aggregate.h"
#include "calendar.h"
#include "daily_series.h"
#include "run_log.h"
#include "stats_output.h"
#include "stats_settings.h"

// Any command-line arguments are ignored.
int main() {
  const char* const settingsPath = "statsparam.txt";
  RunLog runLog;
  openRunLog(runLog, "logfilestats.txt");
  try {
    StatsSettings settings = readSettings(settingsPath, runLog);
    DailySeries series;
    if (!readDailySeries(settings.inputFileName, series)) {
      writeLogText(runLog, "Error opening file " + settings.inputFileName);
      return 1;
    }
    checkSettingsLimits(settings, series, settingsPath);
    StatsTable monthly, annual;
    aggregateSeries(settings, series, runLog, monthly, annual);
    if (!writeMonthlyFile(settings.monthlyFileName, series.headerLine, monthly)) {
      std::printf("Error opening file %s", settings.monthlyFileName.c_str());
      return 1;
    }
    if (!writeAnnualFile(settings.annualFileName, series.headerLine, settings, annual)) {
      std::printf("Error opening file %s", settings.annualFileName.c_str());
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    writeLogLine(runLog, e.what());
    return 1;
  }
}
