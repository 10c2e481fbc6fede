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

  void reset(int width, StatOperation op) {
    sum.assign(static_cast<size_t>(width), 0.0f);
    count.assign(static_cast<size_t>(width), 0);
    if (op == MEDIAN) {
      pool.resize(static_cast<size_t>(width));
      for (auto& values : pool) values.clear();
    }
  }

  void add(size_t f, float v, StatOperation op) {
    if (std::isnan(v)) return;
    if (op == MEAN) sum[f] += v;
    if (op == MAX && (count[f] == 0 || v > sum[f])) sum[f] = v;
    if (op == MEDIAN) pool[f].push_back(v);
    ++count[f];
  }

  // One day's values of every column; the operation is chosen once per day.
  void addDay(const float* values, size_t width, StatOperation op) {
    if (op == MEAN) {
      for (size_t f = 0; f < width; ++f) {
        if (std::isnan(values[f])) continue;
        sum[f] += values[f];
        ++count[f];
      }
    } else {
      for (size_t f = 0; f < width; ++f) add(f, values[f], op);
    }
  }

  // The period's value of column f.
  float result(size_t f, StatOperation op) {
    if (count[f] == 0) return kNaN;
    if (op == MEAN) return sum[f] / static_cast<float>(count[f]);
    if (op == MAX) return sum[f];
    return medianOf(pool[f]);
  }
};

std::string valuesLine(const std::vector<float>& values) {
  std::string line;
  for (float v : values) {
    AppendGeneral(line, static_cast<double>(v));
    line += ' ';
  }
  return line;
}

void appendRow(StatsTable& table, int label, const std::vector<float>& row) {
  table.labels.push_back(label);
  table.values.insert(table.values.end(), row.begin(), row.end());
}

}  // namespace

float medianOf(std::vector<float>& values) {
  if (values.empty()) return kNaN;
  size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  float upper = values[mid];
  if (values.size() % 2 == 1) return upper;
  float lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
  return (lower + upper) / 2.0f;
}

void aggregateSeries(const StatsSettings& s, const DailySeries& series, RunLog& log,
                     StatsTable& monthly, StatsTable& annual) {
  const int width = s.fieldCount;
  const StatOperation op = s.operation;
  monthly = StatsTable{width, {}, {}};
  annual = StatsTable{width, {}, {}};
  if (s.recordCount <= 0) {
    // Nothing is walked; the column count is not bounded by any record then.
    writeLogLine(log, "");
    writeLogLine(log, "Writing annual values ");
    return;
  }
  PeriodAccumulator month, year;
  std::vector<float> monthRow(static_cast<size_t>(width)), yearRow(static_cast<size_t>(width));
  int r = 0, y = s.startYear;
  bool firstMonth = true;
  while (r < s.recordCount) {
    int j = y == s.startYear ? s.startMonth - 1 : 0;
    year.reset(width, op);
    while (j < 12 && r < s.recordCount) {
      const int dim = daysInMonth(y, j);
      int k = firstMonth ? s.startDay - 1 : 0;
      firstMonth = false;
      month.reset(width, op);
      for (; k < dim && r < s.recordCount; ++k, ++r) {
        month.addDay(series.row(static_cast<size_t>(r)), static_cast<size_t>(width), op);
      }
      if (op == MEAN) {
        writeLogLine(log, "Sum for the month " + std::to_string(j + 1) + "is ");
        writeLogLine(log, valuesLine(month.sum));
      } else {
        writeLogLine(log, std::string(op == MAX ? "Calculating monthly max for month "
                                                : "Calculating monthly median for month ") +
                              std::to_string(j + 1));
      }
      for (size_t f = 0; f < monthRow.size(); ++f) {
        monthRow[f] = month.result(f, op);
        if (op == MEDIAN) {
          year.pool[f].insert(year.pool[f].end(), month.pool[f].begin(), month.pool[f].end());
          year.count[f] += month.count[f];
        } else {
          year.add(f, monthRow[f], op);
        }
      }
      appendRow(monthly, y * 100 + j + 1, monthRow);
      ++j;
    }
    for (size_t f = 0; f < yearRow.size(); ++f) yearRow[f] = year.result(f, op);
    if (op == MEAN) writeLogLine(log, "Calculating annual mean for year " + std::to_string(y));
    if (op == MEDIAN) writeLogLine(log, "Calculating annual median for year " + std::to_string(y));
    appendRow(annual, y, yearRow);
    ++y;
  }
  writeLogLine(log, "");
  writeLogLine(log, "Writing annual values ");
}
