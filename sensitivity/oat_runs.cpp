#include "oat_runs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "checked_files.h"
#include "stop.h"
#include "input_error.h"
#include "model_inputs.h"
#include "model_run.h"
#include "number_format.h"
#include "oat_checkpoint.h"
#include "figure_runs.h"
#include "oat_design.h"
#include "streamflow.h"
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
    throw InputError(path, 0, "expected 400 data rows, found " + std::to_string(rows.size()));
  return rows;
}

int ParseStationColumn(std::string_view text, const std::string& path) {
  int column = ParseCountOnLine(text, path, 7, "station column");
  if (column < 1)
    throw InputError(path, 7, "the station column must be at least 1, found " + std::to_string(column));
  return column;
}

RunStatistics ReadStationFlowStats(int flowRowCount, int stationColumn) {
  return StationFlowStats(ReadStationFlows(flowRowCount, stationColumn));
}

std::vector<double> ReadStationFlows(int flowRowCount, int stationColumn) {
  const std::string& text = ReadStreamflowText();
  // Each row takes at least two characters (its line feed and its label) and the
  // scan stops at the end of the text, so a row count far beyond the file is
  // reported, not allocated, without a pass to count the lines.
  const size_t mostRows = text.size() / 2 + 1;
  std::vector<double> values(std::min(static_cast<size_t>(flowRowCount), mostRows));
  ScanStreamflowColumns(text, kStreamflowFile, flowRowCount, {stationColumn}, values.data(), "balparam.txt:2");
  return values;
}

ModelChoice WriteOatModelFiles(int whichParam, float oatValue) {
  RunFiles files;
  ModelChoice choice = ReadModelChoiceFile(files);
  SourceRecords records = ReadSourceRecords(files, ReadSubbasinCount(files.subbasinCountFile));
  ParameterScaling scaling;
  if (const AdjustableParameter* p = FindParameter(whichParam)) {
    scaling.factors.emplace_back(p, static_cast<double>(oatValue));
    scaling.aridityOverride = p->singleRunRainfallMode;
  }
  WriteModelInputFiles(files, records, scaling, choice);
  return choice;
}

namespace {

struct OatInputs : StationSettings {
  std::vector<OatRow> rows;
};

OatInputs ReadOatInputs() {
  OatInputs in;
  static_cast<StationSettings&>(in) = ReadStationSettings();
  in.rows = ParseOatRows(ReadFileOrBanner("OAT.txt", OpeningFailure("OAT.txt")), "OAT.txt");
  return in;
}

}  // namespace

StationSettings ReadStationSettings() {
  StationSettings in;
  in.stationColumn = ParseStationColumn(
      ReadFileOrBanner("moscem_param.txt", "Error opening observed moscem_param.txt \n"), "moscem_param.txt");
  const std::string balance = ReadFileOrBanner("balparam.txt", OpeningFailure("balparam.txt"));
  in.flowRowCount = ParseFlowRowCount(balance, "balparam.txt");
  const int nsub = ParseSubbasinCount(balance, "balparam.txt");
  if (in.stationColumn > nsub)
    throw InputError("moscem_param.txt", 7,
                     "the station column " + std::to_string(in.stationColumn) + " is beyond the " +
                         std::to_string(nsub) + " subbasins of balparam.txt:5 (" + kStreamflowFile +
                         " holds one flow column each)");
  return in;
}

namespace {

// The job of a run is its OAT row; its result the station's figures and the count of values kept.
RunFunction OatRun(const OatInputs& in, const ModelEntryPoints& entries) {
  return [&in, &entries](const RunJob& job) {
    CallModel(entries, WriteOatModelFiles(static_cast<int>(job[0]), static_cast<float>(job[1])));
    RunStatistics s = ReadStationFlowStats(in.flowRowCount, in.stationColumn);
    return RunResult{s.max_mod, s.mean_mod, s.stddev, static_cast<double>(s.kept)};
  };
}

std::vector<RunJob> OatJobs(const std::vector<OatRow>& rows) {
  std::vector<RunJob> jobs;
  for (const OatRow& row : rows)
    jobs.push_back({static_cast<double>(row.whichParam), static_cast<double>(row.oatValue)});
  return jobs;
}

// The result files, written under temporary names from before the first
// run and renamed into place when all are complete: a failure leaves the
// previous results, never header-only files. Beside the two specified ones,
// the same figures at full precision with the parameters' names.
struct OatResultFiles {
  PendingFile sens;        // SensAnalysis.txt
  PendingFile summary;     // SArunOutput.txt
  PendingFile runs;        // oat_runs.csv
  PendingFile sensitivity; // sensitivity.csv
};

OatResultFiles CreateOatResultFiles() {
  return OatResultFiles{CreatePendingOrBanner("SensAnalysis.txt", "Error opening Sensitivity Analysis Output file \n"),
                        CreatePendingOrBanner("SArunOutput.txt", "Error opening SA Run Output file \n"),
                        CreatePendingOrDie("oat_runs.csv"), CreatePendingOrDie("sensitivity.csv")};
}

RunStatistics StatisticsOf(const RunResult& figures) {
  if (figures.size() < 4) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return RunStatistics{nan, nan, nan, 0};
  }
  return RunStatistics{figures[0], figures[1], figures[2], static_cast<int>(figures[3])};
}

// "SensAnalysis.txt": a row per run, NaN for a run that failed and was left out.
void WriteRunFigures(PendingFile& sens, const std::vector<OatRow>& rows, const FigureProgress& progress) {
  sens.Write("whichParam, OAT Parameter Value, max_mod, mean_mod, stddev \n");
  for (size_t k = 0; k < rows.size(); ++k) {
    const RunStatistics stats = StatisticsOf(progress.figures[k]);
    sens.Write(FormatString("%d,%.4f,%.3f,%.3f,%.3f\n", rows[k].whichParam, static_cast<double>(rows[k].oatValue),
                            stats.max_mod, stats.mean_mod, stats.stddev));
  }
}

// "oat_runs.csv": run, parameter name, multiplier and the station's figures
// with nine significant digits (the multiplier as OAT.txt holds it).
void WriteRunTable(PendingFile& runs, const std::vector<OatRow>& rows, const FigureProgress& progress) {
  runs.Write("run,parameter,multiplier,max_flow,mean_flow,stddev_flow\n");
  for (size_t k = 0; k < rows.size(); ++k) {
    const RunStatistics stats = StatisticsOf(progress.figures[k]);
    runs.Write(FormatString("%zu,%s,", k + 1, kAdjustableParameters[rows[k].whichParam - 1].name) +
               TidyText(static_cast<double>(rows[k].oatValue)) + "," + TidyText(stats.max_mod) + "," +
               TidyText(stats.mean_mod) + "," + TidyText(stats.stddev) + "\n");
  }
}

// "SArunOutput.txt" (and "sensitivity.csv" at full precision, with the
// names): per parameter the summed absolute changes between its consecutive
// runs, over the runs that succeeded, divided by the number of runs.
void WriteSensitivitySummary(OatResultFiles& files, const std::vector<OatRow>& rows, const FigureProgress& progress) {
  std::vector<SensitivityAccumulator> accumulators(kParameterCount);
  for (size_t k = 0; k < rows.size(); ++k)
    if (!progress.figures[k].empty())
      AccumulateRun(accumulators, static_cast<int>(k), rows[k].whichParam, StatisticsOf(progress.figures[k]));
  files.summary.Write("whichParam, max_mod, mean_mod, stddev \n");
  files.sensitivity.Write("parameter,name,max_flow,mean_flow,stddev_flow\n");
  const double perRun = 1.0 / kOatRunCount;
  for (size_t p = 0; p < accumulators.size(); ++p) {
    const SensitivityAccumulator& a = accumulators[p];
    const double max = a.sumMaxChange * perRun, mean = a.sumMeanChange * perRun, stddev = a.sumStddevChange * perRun;
    files.summary.Write(FormatString("%d,%.3f,%.3f,%.3f\n", rows[p].whichParam, max, mean, stddev));
    files.sensitivity.Write(FormatString("%d,%s,", rows[p].whichParam, kAdjustableParameters[rows[p].whichParam - 1].name) +
                            TidyText(max) + "," + TidyText(mean) + "," + TidyText(stddev) + "\n");
  }
}

void InstallResults(OatResultFiles& results) {
  // Every file complete before the checkpoint goes: a failed write can be resumed.
  PendingFile* const files[] = {&results.sens, &results.summary, &results.runs, &results.sensitivity};
  for (PendingFile* file : files)
    if (int cause = file->Close())
      FatalError("Can not write file: " + file->path() + " (" + std::strerror(cause) + ")\n");
  for (PendingFile* file : files) InstallOrDie(*file);
}

}  // namespace

int OatRunDriver(const ModelEntryPoints& entries, const RunOptions& options, const RunSettings& settings,
                 ParallelSession& session) {
  GenerateOatDatasets();
  const OatInputs in = ReadOatInputs();
  RunFunction run = OatRun(in, entries);
  if (session.IsWorker()) return session.ServeRuns(run, settings);

  StudyInputs inputs = OatStudyInputs(ReadModelChoiceFile(RunFiles{}));
  inputs.AddSetting("the method", "oat");
  FigureProgress progress = RestoreOatProgress(options, inputs, in.rows.size());
  OatResultFiles results = CreateOatResultFiles();
  FigureStudy study{"OAT row", OatJobs(in.rows)};
  MakeFigureRuns(study, run, options, settings, session, inputs, progress, [](size_t k, const RunOutcome& outcome) {
    if (!outcome.ok()) return;
    if (outcome.last.values.size() >= 4 && outcome.last.values[3] == 0)
      std::fprintf(stderr, "warning: run %zu kept no station value; its figures are 0\n", k + 1);
    std::fprintf(stderr, "OAT model runs successfully completed -----------> %zu \n", k + 1);
  });
  WriteRunFigures(results.sens, in.rows, progress);
  WriteRunTable(results.runs, in.rows, progress);
  WriteSensitivitySummary(results, in.rows, progress);
  InstallResults(results);
  RemoveOatProgress();
  session.Finish();
  return 0;
}
