// Calvor: turns a daily multi-column series into monthly and annual means,
// maxima, medians, sums or minima. Everything it needs stands in
// "statsparam.txt"; its progress goes to "logfilestats.txt".

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "aggregate.h"
#include "calendar.h"
#include "input_error.h"
#include "run_log.h"
#include "series_pass.h"
#include "stats_output.h"
#include "stats_settings.h"
#include "stop.h"
#include "version.h"

namespace {

const char* const kUsage = "usage: Calvor [--help] [--version]\n";

const char* const kHelp =
    "Turns a daily multi-column series into monthly and annual statistics. Run it in the folder that\n"
    "holds \"statsparam.txt\"; it takes no other argument. The settings file has a line each for:\n"
    "   1  the start year           2  the start month          3  the start day\n"
    "   4  the end year (last year of the annual file)         5  the number of daily records\n"
    "   6  the number of value columns\n"
    "   7  the operation: Mean, Median, Max, Sum or Min (any case)\n"
    "   8  the daily input file     9  the monthly output file  10  the annual output file\n"
    "and, optional (an empty line takes the default):\n"
    "  11  a missing-value code, such as -999 (none)\n"
    "  12  the largest share of missing days a month or year may have, 0 to 1 (no limit)\n"
    "  13  the first month of the year, 10 for water years from October (1)\n"
    "It writes the two output files, \"monthly_counts.csv\" and \"annual_counts.csv\" beside them (the\n"
    "valid days behind every figure) and the run log \"logfilestats.txt\".\n";

void RunCalvor(const char* settingsPath, RunLog& runLog) {
  const StatsSettings settings = ReadSettings(settingsPath, runLog);
  CheckSettingsLimits(settings, settingsPath);
  StatsOutputs outputs(settings);
  CalendarWalk walk(settings, runLog, outputs);
  RunSeriesPass(settings, runLog, [&](const std::string& header) { outputs.WriteHeader(header); }, walk);
  walk.Finish();
  outputs.Install();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::string a = argv[1];
    if (argc == 2 && (a == "--help" || a == "-h")) {
      std::fputs(kUsage, stdout);
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (argc == 2 && a == "--version") {
      std::printf("Calvor %s\n", kToolkitVersion);
      return 0;
    }
    // Nothing is read or written: a mistyped option must not overwrite the results.
    std::fprintf(stderr, "Calvor: unexpected argument %s\n%s", argc == 2 ? a.c_str() : argv[2], kUsage);
    return 1;
  }
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
