#pragma once
// The calendar walk of Calvor: monthly and annual means, maxima or medians of
// the first fieldCount value columns, in 32-bit floating point.

#include <vector>

#include "daily_series.h"
#include "run_log.h"
#include "stats_settings.h"

// Rows of `width` values, each with its label (yyyymm or yyyy).
struct StatsTable {
  int width = 0;
  std::vector<int> labels;
  std::vector<float> values;
  size_t rows() const { return labels.size(); }
  const float* row(size_t i) const { return values.data() + i * static_cast<size_t>(width); }
};

// Walks the calendar from the start date over recordCount records: the first
// year from startMonth, the first month from startDay, every later one whole.
// Missing values enter no statistic; a month or year without a value in a
// column gets NaN there. Writes the progress lines to the log.
void AggregateSeries(const StatsSettings& settings, const DailySeries& series, RunLog& log,
                     StatsTable& monthly, StatsTable& annual);

// The median of the values (the mean of the two middle ones for an even
// count), NaN for none. Reorders the values.
float MedianOf(std::vector<float>& values);
