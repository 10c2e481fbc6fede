#pragma once
// One streaming pass over the daily series: read block by block, each block
// parsed (two at a time on two threads when the file is large) and its
// records folded into the calendar walk in file order, so that memory stays
// at a few blocks however long the series is.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include "aggregate.h"
#include "run_log.h"
#include "stats_settings.h"

struct PassOptions {
  size_t blockBytes = size_t{1} << 17;
  int threads = 0;  // RunSeriesPass with 0: two when the file holds more than two blocks, else one
};

// The header for the outputs: the date label and the first fieldCount
// names. A header that names more columns is cut, with a warning on
// standard error; `path` names the series in it.
std::string OutputHeader(const std::string& header, int fieldCount, const std::string& path);

// Reads the series `settings.inputFileName`, hands its output header to
// `onHeader` and folds recordCount records into `walk`, checking every date
// that a record states against the walk. A file that cannot be opened is
// logged as "Error opening file PATH" and stops with the reason; a bad
// record, a date off the walk or a series that ends early is an InputError
// naming the series and its line.
void RunSeriesPass(const StatsSettings& settings, RunLog& log, const std::function<void(const std::string&)>& onHeader,
                   CalendarWalk& walk, const PassOptions& options = PassOptions());

// The pass over an open series, with `options.threads` (1 or 2) threads.
void FoldSeries(FILE* file, const StatsSettings& settings, const std::function<void(const std::string&)>& onHeader,
                CalendarWalk& walk, const PassOptions& options);
