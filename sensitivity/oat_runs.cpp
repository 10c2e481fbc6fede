#include "oat_runs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "fatal.h"
#include "input_error.h"
#include "model_run.h"
#include "number_format.h"
#include "oat_checkpoint.h"
#include "oat_design.h"
#include "subbasin_count.h"
#include "text.h"

std::vector<OatRow> ParseOatRows(std::string_view text, const std::string& path) {
  std::vector<OatRow> rows;
  rows.reserve(kOatRunCount);
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header
  while (static_cast<int>(rows.size()) < kOatRunCount && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    OatRow row;
    size_t used = 0;
    bool ok = ParseLeadingInt(line, row.whichParam, &used) && used < line.size() &&
              ParseFloatPrefix(line.substr(used + 1), row.oatValue) && std::isfinite(row.oatValue);
    std::string rowName = "row " + std::to_string(rows.size() + 1);
    if (!ok) throw InputError(path, lines.LineNumber(), rowName + ": expected a parameter number and a value");
    if (!FindParameter(row.whichParam))
      throw InputError(path, lines.LineNumber(),
                       rowName + ": parameter " + std::to_string(row.whichParam) + " is not 1 to 20");
    rows.push_back(row);
  }
  if (static_cast<int>(rows.size()) < kOatRunCount)
    throw InputError(path, 0,
                     "expected 400 data rows, found " + std::to_string(rows.size()));
  return rows;
}

int ParseStationColumn(std::string_view text, const std::string& path) {
  int column = ParseCountOnLine(text, path, 7, "station column");
  if (column < 1)
    throw InputError(path, 7, "the station column must be at least 1, found " + std::to_string(column));
  return column;
}

Moments SeriesMoments(int n, const float* x) {
  Moments m;
  if (n < 1) return m;
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += static_cast<double>(x[i]);
  m.mean = sum / n;
  if (n < 2) return m;
  double squares = 0;
  for (int i = 0; i < n; ++i) {
    double d = static_cast<double>(x[i]) - m.mean;
    squares += d * d;
  }
  m.variance = squares / (n - 1);
  m.stddev = std::sqrt(m.variance);
  return m;
}

RunStatistics StationFlowStats(const std::vector<double>& values) {
  std::vector<float> kept;
  kept.reserve(values.size());
  RunStatistics stats;
  for (double v : values) {
    if (v < 0 || v == kMissingFlow) continue;
    float f = static_cast<float>(v);
    kept.push_back(f);
    if (f > stats.max_mod) stats.max_mod = f;
  }
  Moments m = SeriesMoments(static_cast<int>(kept.size()), kept.data());
  stats.mean_mod = m.mean;
  stats.stddev = m.stddev;
  stats.kept = static_cast<int>(kept.size());
  return stats;
}

RunStatistics ReadStationFlowStats(int flowRowCount, int stationColumn) {
  const std::string text = ReadStreamflowText();
  // Each row takes at least two characters (its line feed and its label) and the
  // scan stops at the end of the text, so a row count far beyond the file is
  // reported, not allocated, without a pass to count the lines.
  const size_t mostRows = text.size() / 2 + 1;
  std::vector<double> values(std::min(static_cast<size_t>(flowRowCount), mostRows));
  ScanStreamflowColumns(text, kStreamflowFile, flowRowCount, {stationColumn}, values.data());
  return StationFlowStats(values);
}

void WriteOatModelFiles(int whichParam, float oatValue, int& balanceModel, int& routingModel) {
  RunFiles files;
  ModelChoice choice = ReadModelChoiceFile(files);
  balanceModel = choice.balanceModel;
  routingModel = choice.routingModel;
  int nsub = ReadSubbasinCount(files.subbasinCountFile);
  std::vector<SubbasinRecord> subbasins;
  std::vector<ReachRecord> reaches;
  ReadSourceRecords(files, nsub, subbasins, reaches);
  ParameterScaling scaling;
  if (const AdjustableParameter* p = FindParameter(whichParam))
    scaling.factors.emplace_back(p, static_cast<double>(oatValue));
  // Ks runs need the infiltration-excess mode, curve-number and cover runs the other.
  if (whichParam == 4) scaling.aridityOverride = 1;
  if (whichParam == 8 || whichParam == 9) scaling.aridityOverride = 2;
  WriteModelInputFiles(files, subbasins, reaches, scaling, choice);
}

void AccumulateRun(std::vector<SensitivityAccumulator>& acc, int k, int whichParam,
                   const RunStatistics& s) {
  SensitivityAccumulator& a = acc[static_cast<size_t>(k % kParameterCount)];
  if (k < kParameterCount) {
    a.whichParam = whichParam;
  } else {
    a.sumMaxChange += std::fabs(a.prevMax - s.max_mod);
    a.sumMeanChange += std::fabs(a.prevMean - s.mean_mod);
    a.sumStddevChange += std::fabs(a.prevStddev - s.stddev);
  }
  a.prevMax = s.max_mod;
  a.prevMean = s.mean_mod;
  a.prevStddev = s.stddev;
}

void OatRunDriver(const ModelEntryPoints& entries, const RunOptions& options, ParallelSession& session) {
  std::vector<SensitivityAccumulator> accumulators(kParameterCount);
  GenerateOatDatasets();
  int stationColumn = ParseStationColumn(
      ReadFileOrBanner("moscem_param.txt", "Error opening observed moscem_param.txt \n"), "moscem_param.txt");
  int flowRowCount = ParseFlowRowCount(
      ReadFileOrBanner("balparam.txt", OpeningFailure("balparam.txt")), "balparam.txt");
  std::vector<OatRow> rows =
      ParseOatRows(ReadFileOrBanner("OAT.txt", OpeningFailure("OAT.txt")), "OAT.txt");
  // Only the coordinator keeps a checkpoint; workers read no more than their runs need.
  const uint64_t fingerprint = session.IsWorker() ? 0 : OatFingerprint();
  std::string written;  // the SensAnalysis.txt rows so far, kept for the checkpoint
  const int completed = session.IsWorker() ? 0 : RestoreOatProgress(options, fingerprint, accumulators, written);
  std::vector<RunJob> jobs;
  for (const OatRow& row : rows) jobs.push_back({static_cast<double>(row.whichParam), static_cast<double>(row.oatValue)});
  int balanceModel = 0, routingModel = 0, modelStatus = 0;
  RunFunction run = [&](const RunJob& job) {
    WriteOatModelFiles(static_cast<int>(job[0]), static_cast<float>(job[1]), balanceModel, routingModel);
    CallModel(entries, ModelChoice{balanceModel, routingModel}, modelStatus);
    RunStatistics s = ReadStationFlowStats(flowRowCount, stationColumn);
    return RunResult{s.max_mod, s.mean_mod, s.stddev, static_cast<double>(s.kept)};
  };
  std::unique_ptr<RunDispatcher> dispatcher = session.MakeDispatcher(jobs, run, static_cast<size_t>(completed));
  File sens = CreateFileOrBanner("SensAnalysis.txt", "Error opening Sensitivity Analysis Output file \n");
  std::fputs("whichParam, OAT Parameter Value, max_mod, mean_mod, stddev \n", sens.get());
  std::fputs(written.c_str(), sens.get());
  File summary = CreateFileOrBanner("SArunOutput.txt", "Error opening SA Run Output file \n");
  std::fputs("whichParam, max_mod, mean_mod, stddev \n", summary.get());
  for (int k = completed; k < kOatRunCount; ++k) {
    const OatRow& row = rows[static_cast<size_t>(k)];
    RunResult figures = dispatcher->Result(static_cast<size_t>(k));
    RunStatistics stats{figures[0], figures[1], figures[2], static_cast<int>(figures[3])};
    if (stats.kept == 0)
      std::fprintf(stderr, "warning: run %d kept no station value; its figures are 0\n", k + 1);
    std::string line = FormatString("%d,%.4f,%.3f,%.3f,%.3f\n", row.whichParam, static_cast<double>(row.oatValue),
                                    stats.max_mod, stats.mean_mod, stats.stddev);
    std::fputs(line.c_str(), sens.get());
    std::fflush(sens.get());
    written += line;
    std::fprintf(stderr, "OAT model runs successfully completed -----------> %d \n", k + 1);
    AccumulateRun(accumulators, k, row.whichParam, stats);
    SaveOatProgress(k + 1, fingerprint, accumulators, written);
  }
  dispatcher.reset();  // the workers are done
  const double perRun = 1.0 / kOatRunCount;
  for (const SensitivityAccumulator& a : accumulators)
    std::fprintf(summary.get(), "%d,%.3f,%.3f,%.3f\n", a.whichParam, a.sumMaxChange * perRun,
                 a.sumMeanChange * perRun, a.sumStddevChange * perRun);
  // Both files complete before the checkpoint goes: a failed write can be resumed.
  CloseFileOrDie(std::move(sens), "SensAnalysis.txt");
  CloseFileOrDie(std::move(summary), "SArunOutput.txt");
  std::remove(kOatCheckpointFile);
}
