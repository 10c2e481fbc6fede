// Calvor: turns a daily multi-column series into monthly and annual means,
// maxima or medians. Everything it needs stands in "statsparam.txt"; its
// progress goes to "logfilestats.txt".

#include <cstdio>
#include <exception>

#include "aggregate.h"
#include "calendar.h"
#include "daily_series.h"
#include "input_error.h"
#include "run_log.h"
#include "stats_output.h"
#include "stats_settings.h"
#include "stop.h"

static void RunCalvor(const char* settingsPath, RunLog& runLog) {
  StatsSettings settings = ReadSettings(settingsPath, runLog);
  DailySeries series = ReadDailySeries(settings.inputFileName, runLog);
  CheckSettingsLimits(settings, series, settingsPath);
  StatsTable monthly, annual;
  AggregateSeries(settings, series, runLog, monthly, annual);
  WriteMonthlyFile(settings.monthlyFileName, series.headerLine, monthly);
  WriteAnnualFile(settings.annualFileName, series.headerLine, settings, annual);
}

// Any command-line arguments are ignored.
int main() {
  RunLog runLog;
  OpenRunLog(runLog, "logfilestats.txt");
  try {
    RunCalvor("statsparam.txt", runLog);
    return 0;
  } catch (const std::exception& e) {
    // The run log ends with what the terminal shows.
    WriteLogText(runLog, e.what());
    if (dynamic_cast<const InputError*>(&e)) WriteLogText(runLog, "\n");
    return ReportCurrentFailure("Calvor");
  }
}
