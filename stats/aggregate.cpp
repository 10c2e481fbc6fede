#include "aggregate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "calendar.h"
#include "number_format.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

bool IsBuiltFromMonths(StatOperation op) {
  return op == StatOperation::Mean || op == StatOperation::Max || op == StatOperation::Min;
}

std::string ValuesLine(const std::vector<float>& values) {
  std::string line;
  for (float v : values) {
    AppendGeneral(line, static_cast<double>(v));
    line += ' ';
  }
  return line;
}

// More missing days than the settings allow, out of `days` of the period.
bool FallsShort(const StatsSettings& s, int days, int valid) {
  return s.hasMissingShare && static_cast<double>(days - valid) > s.maxMissingShare * days + 1e-9;
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

void PeriodAccumulator::Reset(int width, StatOperation op) {
  acc.assign(static_cast<size_t>(width), 0.0f);
  count.assign(static_cast<size_t>(width), 0);
  if (op == StatOperation::Median) {
    pool.resize(static_cast<size_t>(width));
    for (auto& values : pool) values.clear();
  }
}

void PeriodAccumulator::Add(size_t f, float v, StatOperation op) {
  if (std::isnan(v)) return;
  switch (op) {
    case StatOperation::Mean:
    case StatOperation::Sum:
      acc[f] += v;
      break;
    case StatOperation::Max:
      if (count[f] == 0 || v > acc[f]) acc[f] = v;
      break;
    case StatOperation::Min:
      if (count[f] == 0 || v < acc[f]) acc[f] = v;
      break;
    case StatOperation::Median:
      pool[f].push_back(v);
      break;
  }
  ++count[f];
}

void PeriodAccumulator::AddDay(const float* values, size_t width, StatOperation op) {
  if (op == StatOperation::Mean || op == StatOperation::Sum) {
    for (size_t f = 0; f < width; ++f) {
      if (std::isnan(values[f])) continue;
      acc[f] += values[f];
      ++count[f];
    }
  } else {
    for (size_t f = 0; f < width; ++f) Add(f, values[f], op);
  }
}

float PeriodAccumulator::Result(size_t f, StatOperation op) {
  if (count[f] == 0) return kNaN;
  if (op == StatOperation::Mean) return acc[f] / static_cast<float>(count[f]);
  if (op == StatOperation::Median) return MedianOf(pool[f]);
  return acc[f];
}

CalendarWalk::CalendarWalk(const StatsSettings& s, RunLog& log, StatsSink& sink)
    : settings_(s),
      log_(log),
      sink_(sink),
      op_(s.operation),
      width_(static_cast<size_t>(s.fieldCount > 0 ? s.fieldCount : 0)),
      date_{s.startYear, s.startMonth, s.startDay} {}

void CalendarWalk::OpenMonth() {
  if (!yearOpen_) {
    yearOpen_ = true;
    yearLabel_ = YearLabel(date_, settings_.yearStartMonth);
    year_.Reset(static_cast<int>(width_), op_);
    yearDays_.assign(width_, 0);
    monthFailed_.assign(width_, 0);
    row_.resize(width_);
  }
  monthYear_ = date_.year;
  monthIndex_ = date_.month - 1;
  month_.Reset(static_cast<int>(width_), op_);
  monthOpen_ = true;
}

void CalendarWalk::Fold(const float* values) {
  if (!monthOpen_) OpenMonth();
  month_.AddDay(values, width_, op_);
  // A year's sum is the sum of its days, not of its months.
  if (op_ == StatOperation::Sum) year_.AddDay(values, width_, op_);
  ++folded_;
  const RecordDate next = NextDay(date_);
  const bool monthEnds = next.month != date_.month;
  date_ = next;
  if (monthEnds) {
    CloseMonth();
    if (date_.month == settings_.yearStartMonth) CloseYear();
  }
}

void CalendarWalk::LogMonth() {
  const std::string number = std::to_string(monthIndex_ + 1);
  switch (op_) {
    case StatOperation::Mean:
      WriteLogLine(log_, "Sum for the month " + number + "is ");
      WriteLogLine(log_, ValuesLine(month_.acc));
      break;
    case StatOperation::Max:
      WriteLogLine(log_, "Calculating monthly max for month " + number);
      break;
    case StatOperation::Median:
      WriteLogLine(log_, "Calculating monthly median for month " + number);
      break;
    case StatOperation::Sum:
      WriteLogLine(log_, "Calculating monthly sum for month " + number);
      break;
    case StatOperation::Min:
      WriteLogLine(log_, "Calculating monthly min for month " + number);
      break;
  }
}

void CalendarWalk::CloseMonth() {
  LogMonth();
  const int days = DaysInMonth(monthYear_, monthIndex_);
  for (size_t f = 0; f < width_; ++f) {
    float figure = month_.Result(f, op_);
    if (FallsShort(settings_, days, month_.count[f])) {
      figure = kNaN;
      monthFailed_[f] = 1;
    }
    row_[f] = figure;
    yearDays_[f] += month_.count[f];
    if (op_ == StatOperation::Median) {
      year_.pool[f].insert(year_.pool[f].end(), month_.pool[f].begin(), month_.pool[f].end());
      year_.count[f] += month_.count[f];
    } else if (IsBuiltFromMonths(op_)) {
      year_.Add(f, figure, op_);
    }
  }
  sink_.MonthRow(monthYear_ * 100 + monthIndex_ + 1, row_.data(), month_.count.data());
  monthOpen_ = false;
}

void CalendarWalk::CloseYear() {
  const int days = DaysInYear(yearLabel_, settings_.yearStartMonth);
  for (size_t f = 0; f < width_; ++f) {
    float figure = year_.Result(f, op_);
    if (FallsShort(settings_, days, yearDays_[f]) || (IsBuiltFromMonths(op_) && monthFailed_[f])) figure = kNaN;
    row_[f] = figure;
  }
  const std::string label = std::to_string(yearLabel_);
  if (op_ == StatOperation::Mean) WriteLogLine(log_, "Calculating annual mean for year " + label);
  if (op_ == StatOperation::Median) WriteLogLine(log_, "Calculating annual median for year " + label);
  if (op_ == StatOperation::Sum) WriteLogLine(log_, "Calculating annual sum for year " + label);
  sink_.YearRow(yearLabel_, row_.data(), yearDays_.data());
  yearOpen_ = false;
}

void CalendarWalk::Finish() {
  if (monthOpen_) CloseMonth();
  if (yearOpen_) CloseYear();
  WriteLogLine(log_, "");
  WriteLogLine(log_, "Writing annual values ");
}
