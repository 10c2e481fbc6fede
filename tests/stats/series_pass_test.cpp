// The streaming pass against a whole-array walk of the same series, and the
// two-thread path against the one-thread path, on generated series.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "aggregate.h"
#include "calendar.h"
#include "file_handle.h"
#include "series_pass.h"
#include "stats_output.h"
#include "test_support.h"

namespace {

using testing_support::ScopedTempDir;
using testing_support::WriteFile;

// The rows a walk makes, as the output files would hold them.
struct TextSink : StatsSink {
  int width;
  std::string monthly, annual, monthlyCounts, annualCounts;
  explicit TextSink(int w) : width(w) {}
  void MonthRow(int label, const float* v, const int* c) override { Add(monthly, monthlyCounts, label, v, c); }
  void YearRow(int label, const float* v, const int* c) override { Add(annual, annualCounts, label, v, c); }
  void Add(std::string& values, std::string& counts, int label, const float* v, const int* c) {
    AppendStatsLine(values, label, v, width);
    values += '\n';
    std::vector<float> asFloat(c, c + width);
    AppendStatsLine(counts, label, asFloat.data(), width);
    counts += '\n';
  }
};

struct Generated {
  std::string text;                  // header and records
  std::vector<std::vector<float>> rows;
};

// `records` dated days from the start, `width` columns, about one value in
// eight missing and whole missing months now and then.
Generated Generate(const StatsSettings& s, int records, unsigned seed) {
  std::mt19937 random(seed);
  Generated g;
  g.text = "Date";
  for (int f = 0; f < s.fieldCount; ++f) g.text += ",C" + std::to_string(f + 1);
  g.text += "\n";
  RecordDate date{s.startYear, s.startMonth, s.startDay};
  for (int r = 0; r < records; ++r, date = NextDay(date)) {
    std::vector<float> row;
    g.text += DateText(date);
    for (int f = 0; f < s.fieldCount; ++f) {
      const bool gap = random() % 8 == 0 || (date.month == 4 && date.year % 3 == 0 && f == 0);
      char value[32];
      std::snprintf(value, sizeof value, "%.3f", static_cast<double>(random() % 200000) / 1000.0 - 20.0);
      g.text += gap ? std::string(",NA") : std::string(",") + value;
      row.push_back(gap ? std::numeric_limits<float>::quiet_NaN() : std::stof(value));
    }
    g.text += "\n";
    g.rows.push_back(row);
  }
  return g;
}

// The whole series in memory, walked by year, month and day.
TextSink WholeArrayWalk(const StatsSettings& s, const std::vector<std::vector<float>>& rows) {
  TextSink sink(s.fieldCount);
  const StatOperation op = s.operation;
  const size_t width = static_cast<size_t>(s.fieldCount);
  size_t r = 0;
  bool firstMonth = true;
  for (int y = s.startYear; r < static_cast<size_t>(s.recordCount); ++y) {
    PeriodAccumulator year;
    year.Reset(s.fieldCount, op);
    std::vector<int> days(width, 0);
    for (int j = y == s.startYear ? s.startMonth - 1 : 0; j < 12 && r < static_cast<size_t>(s.recordCount); ++j) {
      PeriodAccumulator month;
      month.Reset(s.fieldCount, op);
      for (int k = firstMonth ? s.startDay - 1 : 0; k < DaysInMonth(y, j) && r < static_cast<size_t>(s.recordCount);
           ++k, ++r) {
        month.AddDay(rows[r].data(), width, op);
        if (op == StatOperation::Sum) year.AddDay(rows[r].data(), width, op);
      }
      firstMonth = false;
      std::vector<float> row(width);
      for (size_t f = 0; f < width; ++f) {
        row[f] = month.Result(f, op);
        days[f] += month.count[f];
        if (op == StatOperation::Median) {
          year.pool[f].insert(year.pool[f].end(), month.pool[f].begin(), month.pool[f].end());
          year.count[f] += month.count[f];
        } else if (op != StatOperation::Sum) {
          year.Add(f, row[f], op);
        }
      }
      sink.MonthRow(y * 100 + j + 1, row.data(), month.count.data());
    }
    std::vector<float> row(width);
    for (size_t f = 0; f < width; ++f) row[f] = year.Result(f, op);
    if (y <= s.endYear) sink.YearRow(y, row.data(), days.data());
  }
  return sink;
}

StatsSettings Settings(StatOperation op, int width, int records) {
  StatsSettings s;
  s.startYear = 1995;
  s.startMonth = 3;
  s.startDay = 17;
  s.recordCount = records;
  s.fieldCount = width;
  s.operation = op;
  s.endYear = LastWalkYear(s);
  s.inputFileName = "daily.csv";
  return s;
}

TextSink StreamingWalk(const StatsSettings& s, const std::string& path, const PassOptions& options) {
  TextSink sink(s.fieldCount);
  RunLog log;
  CalendarWalk walk(s, log, sink);
  File file(std::fopen(path.c_str(), "rb"));
  FoldSeries(file.get(), s, [](const std::string&) {}, walk, options);
  walk.Finish();
  return sink;
}

void ExpectSameRows(const TextSink& a, const TextSink& b, const std::string& what) {
  EXPECT_EQ(a.monthly, b.monthly) << what;
  EXPECT_EQ(a.annual, b.annual) << what;
  EXPECT_EQ(a.monthlyCounts, b.monthlyCounts) << what;
  EXPECT_EQ(a.annualCounts, b.annualCounts) << what;
}

TEST(SeriesPass, StreamingGivesTheWholeArrayFiguresForEveryOperation) {
  ScopedTempDir dir;
  const int records = 20 * 365 + 7;
  for (StatOperation op : {StatOperation::Mean, StatOperation::Median, StatOperation::Max, StatOperation::Sum,
                           StatOperation::Min}) {
    StatsSettings s = Settings(op, 4, records);
    Generated g = Generate(s, records, 7);
    WriteFile(dir / "daily.csv", g.text);
    TextSink expected = WholeArrayWalk(s, g.rows);
    ASSERT_GT(expected.monthly.size(), 1000u);
    PassOptions options;
    options.threads = 2;
    options.blockBytes = 4096;
    ExpectSameRows(StreamingWalk(s, (dir / "daily.csv").string(), options), expected,
                   "operation " + std::to_string(static_cast<int>(op)));
  }
}

// Any block size, one thread or two: the same rows and the same failures.
TEST(SeriesPass, TwoThreadsGiveWhatOneGivesForAnyBlockSize) {
  ScopedTempDir dir;
  for (int records : {1, 3, 40, 400, 3000}) {
    StatsSettings s = Settings(StatOperation::Mean, 3, records);
    Generated g = Generate(s, records, static_cast<unsigned>(records));
    WriteFile(dir / "daily.csv", g.text);
    PassOptions one;
    one.threads = 1;
    one.blockBytes = size_t{1} << 20;  // the whole file in one block
    const TextSink reference = StreamingWalk(s, (dir / "daily.csv").string(), one);
    for (size_t block : {size_t{1}, size_t{7}, size_t{64}, size_t{1000}, g.text.size() / 2, size_t{1} << 20}) {
      for (int threads : {1, 2}) {
        PassOptions options;
        options.threads = threads;
        options.blockBytes = block;
        ExpectSameRows(StreamingWalk(s, (dir / "daily.csv").string(), options), reference,
                       std::to_string(records) + " records, blocks of " + std::to_string(block) + ", threads " +
                           std::to_string(threads));
      }
    }
  }
  // A bad value late in the file is found wherever the blocks fall.
  StatsSettings s = Settings(StatOperation::Mean, 3, 500);
  Generated g = Generate(s, 500, 3);
  size_t at = g.text.find('\n', g.text.size() * 3 / 4) + 1;
  g.text.insert(g.text.find(',', at) + 1, "7x");
  WriteFile(dir / "daily.csv", g.text);
  const long line = static_cast<long>(std::count(g.text.begin(), g.text.begin() + static_cast<long>(at), '\n')) + 1;
  for (size_t block : {size_t{5}, size_t{333}, g.text.size() / 2}) {
    for (int threads : {1, 2}) {
      PassOptions options;
      options.threads = threads;
      options.blockBytes = block;
      try {
        StreamingWalk(s, (dir / "daily.csv").string(), options);
        ADD_FAILURE() << "no error";
      } catch (const InputError& e) {
        EXPECT_EQ(e.line(), line);
        EXPECT_NE(std::string(e.what()).find(": column 1: expected a number or a missing value, found '7x"),
                  std::string::npos)
            << e.what();
      }
    }
  }
}

}  // namespace
