#pragma once
// The calendar walk of Calvor, one record at a time: monthly and annual
// means, maxima, medians, sums or minima of the value columns, in 32-bit
// floating point, with the number of valid days behind every figure.

#include <vector>

#include "daily_fields.h"
#include "run_log.h"
#include "stats_settings.h"

// Where the walk's rows go, as soon as each period is complete.
class StatsSink {
 public:
  virtual ~StatsSink() = default;
  // `label` is yyyymm or the year's label; `counts` the valid days of each column.
  virtual void MonthRow(int label, const float* values, const int* counts) = 0;
  virtual void YearRow(int label, const float* values, const int* counts) = 0;
};

// The running statistic of one period (a month or a year) for every column.
struct PeriodAccumulator {
  std::vector<float> acc;               // the sum, the maximum or the minimum
  std::vector<int> count;               // values that entered each column
  std::vector<std::vector<float>> pool; // Median: the values themselves

  void Reset(int width, StatOperation op);
  void Add(size_t f, float v, StatOperation op);
  // One day's values of every column; the operation is chosen once per day.
  void AddDay(const float* values, size_t width, StatOperation op);
  // The period's figure of column f (NaN when no value entered it). Reorders a median's pool.
  float Result(size_t f, StatOperation op);
};

// Walks the calendar from the start date of the settings. The first year
// starts in the start month and the first month on the start day; every
// later period is whole. Missing values (NaN) enter no statistic; a period
// without a value in a column, or with more missing days than the settings
// allow, gets NaN there. Writes the progress lines to the log.
class CalendarWalk {
 public:
  CalendarWalk(const StatsSettings& settings, RunLog& log, StatsSink& sink);

  // The date that the next record stands for.
  const RecordDate& NextDate() const { return date_; }
  long Folded() const { return folded_; }
  bool Complete() const { return folded_ >= settings_.recordCount; }

  // Folds one record: fieldCount values, missing ones as NaN.
  void Fold(const float* values);
  // Closes the month and year in progress and writes the closing log lines.
  void Finish();

 private:
  void OpenMonth();
  void LogMonth();
  void CloseMonth();
  void CloseYear();

  const StatsSettings& settings_;
  RunLog& log_;
  StatsSink& sink_;
  const StatOperation op_;
  const size_t width_;
  RecordDate date_;
  long folded_ = 0;
  bool monthOpen_ = false, yearOpen_ = false;
  int monthYear_ = 0, monthIndex_ = 0;  // the month in progress (index 0 = January)
  int yearLabel_ = 0;
  PeriodAccumulator month_, year_;
  std::vector<int> yearDays_;        // valid days of the year so far, per column
  std::vector<char> monthFailed_;    // a month of the year fell short of the coverage
  std::vector<float> row_;
};

// The median of the values (the mean of the two middle ones for an even
// count), NaN for none. Reorders the values.
float MedianOf(std::vector<float>& values);
