#include "fuzz_targets.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "aggregate.h"
#include "calendar.h"
#include "calibration_settings.h"
#include "file_handle.h"
#include "series_pass.h"
#include "ensemble_inputs.h"
#include "input_error.h"
#include "oat_design.h"
#include "oat_runs.h"
#include "model_choice.h"
#include "source_records.h"
#include "parameter_table.h"
#include "run_control.h"
#include "stats_output.h"
#include "stats_settings.h"
#include "streamflow.h"
#include "subbasin_count.h"

namespace {

// A broken invariant is a finding: abort so that the fuzzer keeps the input.
void Check(bool condition) {
  if (!condition) std::abort();
}

// Some targets take their sizes from the first bytes of the input.
unsigned char TakeByte(std::string_view& input) {
  if (input.empty()) return 0;
  unsigned char b = static_cast<unsigned char>(input[0]);
  input.remove_prefix(1);
  return b;
}

template <typename F>
void ExpectingInputErrors(F&& parse) {
  try {
    parse();
  } catch (const InputError& e) {
    Check(e.what()[0] != '\0');
  }
}

void RunControlTarget(std::string_view in) {
  ExpectingInputErrors([&] {
    RunControl c = ParseRunControl(in, "run.txt");
    Check(c.nruns >= 1 && !c.files.modelChoiceFile.empty());
  });
}

void CalibrationSettingsTarget(std::string_view in) {
  ExpectingInputErrors([&] {
    CalibrationSettings s;
    ParseCalibrationSettings(in, "moscem_param.txt", s);
    Check(s.nflux >= 0 && s.nsteps >= 0 && s.fluxColumns.size() == s.nflux);
    for (int i = 0; i < s.nflux; ++i) Check(s.fluxColumns[i] >= (i == 0 ? 1 : 0));
  });
}

void SubbasinCountTarget(std::string_view in) {
  ExpectingInputErrors([&] { Check(ParseSubbasinCount(in, "balparam.txt") >= 0); });
  ExpectingInputErrors([&] { Check(ParseFlowRowCount(in, "balparam.txt") >= 0); });
}

void ParameterTableTarget(std::string_view in) {
  ExpectingInputErrors([&] {
    std::vector<int> optimised = ParseParameterTable(in, "parameter.in");
    Check(optimised.size() <= static_cast<size_t>(kParameterTableRows));
  });
}

void SourceFilesTarget(std::string_view in) {
  int nsub = TakeByte(in) % 8;
  ExpectingInputErrors([&] {
    auto basins = ParseBasinRows(in, "basin_original.txt", nsub);
    Check(basins.size() == static_cast<size_t>(nsub));
    std::string out;
    for (const SubbasinRecord& b : basins) AppendBasinLine(out, b);
  });
  ExpectingInputErrors([&] {
    auto reaches = ParseReachRows(in, "river_original.txt", nsub);
    Check(reaches.size() == static_cast<size_t>(nsub));
    std::string out;
    for (const ReachRecord& r : reaches) AppendReachLine(out, r);
  });
}

void ModelChoiceTarget(std::string_view in) {
  ExpectingInputErrors([&] { ModelChoiceLines(ParseModelChoice(in, "whichModel.txt")); });
}

void ObservedSeriesTarget(std::string_view in) {
  int nsteps = TakeByte(in) % 16, nflux = TakeByte(in) % 6;
  DoubleMatrix observed(nsteps, nflux);
  ExpectingInputErrors([&] { observed = ParseObservedSeries(in, "observed.csv", nsteps, nflux); });
}

void RunListTarget(std::string_view in) {
  int nruns = TakeByte(in) % 8 + 1, count = TakeByte(in) % 22;
  ExpectingInputErrors([&] {
    DoubleMatrix values = ParseRunList(in, "sets.csv", nruns, count, "multipliers");
    Check(values.rows() == nruns && values.columns() == count);
  });
}

void StreamflowTarget(std::string_view in) {
  CalibrationSettings s;
  s.nsteps = TakeByte(in) % 16;
  s.nflux = TakeByte(in) % 6;
  s.fluxColumns = IntVector(s.nflux);
  for (int i = 0; i < s.nflux; ++i) s.fluxColumns[i] = TakeByte(in) % 8 + (i == 0 ? 1 : 0);
  DoubleMatrix flows(s.nsteps, s.nflux);
  ExpectingInputErrors([&] {
    ParseSimulatedFlows(in, "streamflow.txt", s, flows);
    for (int t = 0; t < s.nsteps; ++t)
      for (int j = 0; j < s.nflux; ++j) Check(std::isfinite(flows[t][j]));
  });
}

void RangeTarget(std::string_view in) {
  ExpectingInputErrors([&] {
    ParameterRange ranges[kParameterCount];
    ParseRangeFile(in, "range.txt", ranges);
    std::vector<SubbasinRecord> basins(2);
    std::vector<ReachRecord> reaches(2);
    FindFieldRanges(basins, reaches, ranges);
    ComputeMultipliers(ranges);
    for (const AdjustableParameter& p : kAdjustableParameters)
      for (float f : kOatFractions) OatValue(p, ranges[p.number - 1], f);
  });
}

void OatRowsTarget(std::string_view in) {
  ExpectingInputErrors([&] {
    std::vector<OatRow> rows = ParseOatRows(in, "OAT.txt");
    Check(rows.size() == static_cast<size_t>(kOatRunCount));
    for (const OatRow& r : rows) Check(FindParameter(r.whichParam) != nullptr);
  });
}

void StatsSettingsTarget(std::string_view in) {
  ExpectingInputErrors([&] { SettingsEcho(ParseSettings(in, "statsparam.txt")); });
}

// Rows of the walk, checked for their width and dropped.
class CheckingSink : public StatsSink {
 public:
  explicit CheckingSink(int width) : width_(width) {}
  void MonthRow(int label, const float* values, const int* counts) override { Row(label, values, counts); }
  void YearRow(int label, const float* values, const int* counts) override { Row(label, values, counts); }

 private:
  void Row(int label, const float* values, const int* counts) {
    std::string line;
    AppendStatsLine(line, label, values, width_);
    for (int f = 0; f < width_; ++f) Check(counts[f] >= 0 && counts[f] <= 366);
  }
  int width_;
};

// Ten settings lines, then the daily series; the whole program short of files.
void DailySeriesTarget(std::string_view in) {
  size_t split = 0;
  for (int line = 0; line < 10 && split != std::string_view::npos; ++line) {
    split = in.find('\n', split);
    if (split != std::string_view::npos) ++split;
  }
  if (split == std::string_view::npos) split = in.size();
  ExpectingInputErrors([&] {
    StatsSettings settings = ParseSettings(in.substr(0, split), "statsparam.txt");
    settings.monthlyFileName = "monthly.csv";
    settings.annualFileName = "annual.csv";
    CheckSettingsLimits(settings, "statsparam.txt");
    if (settings.fieldCount > 100000) return;  // a file of that width is no input a fuzzer makes
    std::string series(in.substr(split));
    FILE* file = fmemopen(series.empty() ? nullptr : &series[0], series.size(), "rb");
    if (!file) return;
    File owned(file);
    RunLog log;
    CheckingSink sink(settings.fieldCount);
    CalendarWalk walk(settings, log, sink);
    PassOptions options;
    options.blockBytes = 64;
    options.threads = 2;
    FoldSeries(owned.get(), settings, [](const std::string&) {}, walk, options);
    walk.Finish();
  });
}

}  // namespace

const FuzzTarget kFuzzTargets[] = {
    {"run_control", RunControlTarget},
    {"calibration_settings", CalibrationSettingsTarget},
    {"subbasin_count", SubbasinCountTarget},
    {"parameter_table", ParameterTableTarget},
    {"source_files", SourceFilesTarget},
    {"model_choice", ModelChoiceTarget},
    {"observed_series", ObservedSeriesTarget},
    {"run_list", RunListTarget},
    {"streamflow", StreamflowTarget},
    {"range", RangeTarget},
    {"oat_rows", OatRowsTarget},
    {"stats_settings", StatsSettingsTarget},
    {"daily_series", DailySeriesTarget},
};
const size_t kFuzzTargetCount = sizeof kFuzzTargets / sizeof kFuzzTargets[0];

const FuzzTarget* FindFuzzTarget(std::string_view name) {
  for (const FuzzTarget& t : kFuzzTargets)
    if (name == t.name) return &t;
  return nullptr;
}
