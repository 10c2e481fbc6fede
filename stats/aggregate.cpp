#include "aggregate.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calendar.h"
#include "number_format.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The running statistic of one period (a month or a year) for every column.
struct PeriodAccumulator {
  std::vector<float> sum;                  // MEAN: sum of the values; MAX: the maximum
  std::vector<int> count;                  // values that entered each column
  std::vector<std::vector<float>> pool;    // MEDIAN: the values themselves

  void Reset(int width, StatOperation op) {
    sum.assign(static_cast<size_t>(width), 0.0f);
    count.assign(static_cast<size_t>(width), 0);
    if (op == StatOperation::Median) {
      pool.resize(static_cast<size_t>(width));
      for (auto& values : pool) values.clear();
    }
  }

  void Add(size_t f, float v, StatOperation op) {
    if (std::isnan(v)) return;
    if (op == StatOperation::Mean) sum[f] += v;
    if (op == StatOperation::Max && (count[f] == 0 || v > sum[f])) sum[f] = v;
    if (op == StatOperation::Median) pool[f].push_back(v);
    ++count[f];
  }

  // One day's values of every column; the operation is chosen once per day.
  void AddDay(const float* values, size_t width, StatOperation op) {
    if (op == StatOperation::Mean) {
      for (size_t f = 0; f < width; ++f) {
        if (std::isnan(values[f])) continue;
        sum[f] += values[f];
        ++count[f];
      }
    } else {
      for (size_t f = 0; f < width; ++f) Add(f, values[f], op);
    }
  }

  // The period's value of column f.
  float Result(size_t f, StatOperation op) {
    if (count[f] == 0) return kNaN;
    if (op == StatOperation::Mean) return sum[f] / static_cast<float>(count[f]);
    if (op == StatOperation::Max) return sum[f];
    return MedianOf(pool[f]);
  }
};

std::string ValuesLine(const std::vector<float>& values) {
  std::string line;
  for (float v : values) {
    AppendGeneral(line, static_cast<double>(v));
    line += ' ';
  }
  return line;
}

void AppendRow(StatsTable& table, int label, const std::vector<float>& row) {
  table.labels.push_back(label);
  table.values.insert(table.values.end(), row.begin(), row.end());
}

}  // namespace

float MedianOf(std::vector<float>& values) {
  if (values.empty()) return kNaN;
  size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  float upper = values[mid];
  if (values.size() % 2 == 1) return upper;
  float lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
  return (lower + upper) / 2.0f;
}

namespace {

// The run log's lines for a finished month.
void LogMonth(RunLog& log, StatOperation op, int monthIndex, const PeriodAccumulator& month) {
  if (op == StatOperation::Mean) {
    WriteLogLine(log, "Sum for the month " + std::to_string(monthIndex + 1) + "is ");
    WriteLogLine(log, ValuesLine(month.sum));
  } else {
    WriteLogLine(log, std::string(op == StatOperation::Max ? "Calculating monthly max for month "
                                                           : "Calculating monthly median for month ") +
                          std::to_string(monthIndex + 1));
  }
}

// The month's figures into `row`, and the month folded into its year: the
// median pools the daily values, the other operations the monthly figures.
void FinishMonth(StatOperation op, PeriodAccumulator& month, PeriodAccumulator& year, std::vector<float>& row) {
  for (size_t f = 0; f < row.size(); ++f) {
    row[f] = month.Result(f, op);
    if (op == StatOperation::Median) {
      year.pool[f].insert(year.pool[f].end(), month.pool[f].begin(), month.pool[f].end());
      year.count[f] += month.count[f];
    } else {
      year.Add(f, row[f], op);
    }
  }
}

void LogYear(RunLog& log, StatOperation op, int year) {
  if (op == StatOperation::Mean) WriteLogLine(log, "Calculating annual mean for year " + std::to_string(year));
  if (op == StatOperation::Median) WriteLogLine(log, "Calculating annual median for year " + std::to_string(year));
}

}  // namespace

void AggregateSeries(const StatsSettings& s, const DailySeries& series, RunLog& log, StatsTable& monthly,
                     StatsTable& annual) {
  const int width = s.fieldCount;
  const StatOperation op = s.operation;
  monthly = StatsTable{width, {}, {}};
  annual = StatsTable{width, {}, {}};
  if (s.recordCount > 0) {
    // With no record walked, the column count is not bounded by any record: nothing is allocated.
    PeriodAccumulator month, year;
    std::vector<float> monthRow(static_cast<size_t>(width)), yearRow(static_cast<size_t>(width));
    int r = 0;
    bool firstMonth = true;
    for (int y = s.startYear; r < s.recordCount; ++y) {
      year.Reset(width, op);
      for (int j = y == s.startYear ? s.startMonth - 1 : 0; j < 12 && r < s.recordCount; ++j) {
        month.Reset(width, op);
        const int dim = DaysInMonth(y, j);
        for (int k = firstMonth ? s.startDay - 1 : 0; k < dim && r < s.recordCount; ++k, ++r)
          month.AddDay(series.row(static_cast<size_t>(r)), static_cast<size_t>(width), op);
        firstMonth = false;
        LogMonth(log, op, j, month);
        FinishMonth(op, month, year, monthRow);
        AppendRow(monthly, y * 100 + j + 1, monthRow);
      }
      for (size_t f = 0; f < yearRow.size(); ++f) yearRow[f] = year.Result(f, op);
      LogYear(log, op, y);
      AppendRow(annual, y, yearRow);
    }
  }
  WriteLogLine(log, "");
  WriteLogLine(log, "Writing annual values ");
}
