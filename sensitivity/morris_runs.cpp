#include "morris_runs.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "checked_files.h"
#include "observed_series.h"
#include "figure_runs.h"
#include "fit_measures.h"
#include "model_inputs.h"
#include "model_run.h"
#include "morris_analysis.h"
#include "morris_design.h"
#include "number_format.h"
#include "oat_checkpoint.h"
#include "oat_design.h"
#include "oat_runs.h"
#include "stop.h"

const char* const kMorrisDesignFile = "morris_design.csv";
const char* const kMorrisResultFile = "morris.csv";
const char* const kMorrisRunsFile = "morris_runs.csv";

namespace {

// What every run needs: the station, and the observed flows to score it against.
struct MorrisInputs : StationSettings {
  std::vector<double> observed;  // the station's observed flows, NaN where missing; empty without --observed
};

MorrisInputs ReadMorrisInputs(const RunOptions& options) {
  MorrisInputs in;
  static_cast<StationSettings&>(in) = ReadStationSettings();
  if (options.observedFile.empty()) return in;
  DoubleMatrix observed = ParseObservedSeries(ReadFileOrDie(options.observedFile), options.observedFile,
                                              in.flowRowCount, in.stationColumn);
  for (int t = 0; t < in.flowRowCount; ++t) in.observed.push_back(observed[t][in.stationColumn - 1]);
  return in;
}

// A run with every parameter at its multiplier: the station's maximum, mean,
// standard deviation and kept values, and with observed flows its NSE and KGE.
RunFunction MorrisRun(const MorrisInputs& in, const ModelEntryPoints& entries) {
  return [&in, &entries](const RunJob& job) {
    RunFiles files;
    ModelChoice choice = ReadModelChoiceFile(files);
    SourceRecords records = ReadSourceRecords(files, ReadSubbasinCount(files.subbasinCountFile));
    ParameterSet set(kParameterCount);
    std::copy(job.begin(), job.end(), set.data());
    std::vector<int> all;
    for (const AdjustableParameter& p : kAdjustableParameters) all.push_back(p.number);
    WriteModelInputFiles(files, records, ScalingForSet(all, set), choice);
    CallModel(entries, choice);
    const std::vector<double> flows = ReadStationFlows(in.flowRowCount, in.stationColumn);
    const RunStatistics s = StationFlowStats(flows);
    RunResult result{s.max_mod, s.mean_mod, s.stddev, static_cast<double>(s.kept)};
    if (!in.observed.empty()) {
      std::vector<double> o, m;
      ScoredPairs(in.observed.data(), flows.data(), static_cast<int>(flows.size()), 1, -HUGE_VAL, o, m);
      const FitMeasures fit = MeasureFit(o.data(), m.data(), static_cast<int>(o.size()));
      result.push_back(fit.nse);
      result.push_back(fit.kge);
    }
    return result;
  };
}

MorrisSettings SettingsOf(const RunOptions& options) {
  MorrisSettings s;
  s.trajectories = options.trajectories;
  s.levels = options.levels;
  s.seed = options.seed;
  s.bootstrap = options.bootstrap;
  return s;
}

// The design: drawn and written before the first run, or read back when a study is resumed.
std::vector<MorrisPoint> MorrisDesign(const RunOptions& options, const MorrisSettings& settings,
                                      const ParameterDesign& parameters) {
  const size_t points = static_cast<size_t>(settings.trajectories) * (kParameterCount + 1);
  if (options.resume && std::filesystem::exists(kMorrisDesignFile))
    return ParseMorrisDesign(ReadFileOrDie(kMorrisDesignFile), kMorrisDesignFile, points);
  double lower[kParameterCount], upper[kParameterCount];
  MultiplierBounds(parameters, lower, upper);
  const std::vector<MorrisPoint> drawn = DrawMorrisDesign(settings, lower, upper);
  const std::string text = MorrisDesignText(drawn);
  WritePendingOrDie(CreatePendingOrDie(kMorrisDesignFile), text);
  // The runs use the multipliers as the file holds them: a resumed study reads the same.
  return ParseMorrisDesign(text, kMorrisDesignFile, points);
}

// Whether the step to point k leaves parameter i's field unchanged in every
// subbasin: an integer field that rounding keeps.
bool RoundedAway(const std::vector<MorrisPoint>& design, const SourceRecords& records, size_t k, int i) {
  const AdjustableParameter& p = kAdjustableParameters[i - 1];
  if (!p.IsInteger()) return false;
  for (size_t b = 0; b < records.subbasins.size(); ++b) {
    SubbasinRecord before = records.subbasins[b], after = records.subbasins[b];
    ReachRecord reachBefore = records.reaches[b], reachAfter = records.reaches[b];
    ScaleParameter(p, design[k - 1].multipliers[i - 1], before, reachBefore);
    ScaleParameter(p, design[k].multipliers[i - 1], after, reachAfter);
    if (before.*p.basinInt != after.*p.basinInt) return false;
  }
  return true;
}

std::vector<std::string> OutputNames(bool observed) {
  std::vector<std::string> names = {"max_flow", "mean_flow", "stddev_flow"};
  if (observed) {
    names.push_back("nse");
    names.push_back("kge");
  }
  return names;
}

// The outputs of each run, in the order of OutputNames; empty for a run that failed.
std::vector<RunResult> RunOutputs(const FigureProgress& progress, bool observed) {
  std::vector<RunResult> outputs;
  for (const RunResult& f : progress.figures) {
    if (f.size() < 4) {
      outputs.emplace_back();
      continue;
    }
    RunResult o = {f[0], f[1], f[2]};
    if (observed && f.size() >= 6) {
      o.push_back(f[4]);
      o.push_back(f[5]);
    }
    outputs.push_back(o);
  }
  return outputs;
}

std::string RunsTable(const std::vector<MorrisPoint>& design, const std::vector<RunResult>& outputs,
                      const std::vector<std::string>& names) {
  std::string out = "run,trajectory,step,changed_parameter";
  for (const std::string& name : names) out += "," + name;
  out += '\n';
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (size_t k = 0; k < design.size(); ++k) {
    out += FormatString("%zu,%d,%d,%s", k + 1, design[k].trajectory, design[k].step,
                        design[k].changed ? kAdjustableParameters[design[k].changed - 1].name : "");
    for (size_t o = 0; o < names.size(); ++o)
      out += "," + TidyText(o < outputs[k].size() ? outputs[k][o] : nan);
    out += '\n';
  }
  return out;
}

}  // namespace

int MorrisRunDriver(const ModelEntryPoints& entries, const RunOptions& options, const RunSettings& settings,
                    ParallelSession& session) {
  const ParameterDesign parameters = WriteParameterTableOnly();
  const MorrisInputs in = ReadMorrisInputs(options);
  RunFunction run = MorrisRun(in, entries);
  if (session.IsWorker()) return session.ServeRuns(run, settings);

  const MorrisSettings morris = SettingsOf(options);
  const std::vector<MorrisPoint> design = MorrisDesign(options, morris, parameters);
  std::vector<std::string> extra = {kMorrisDesignFile};
  if (!options.observedFile.empty()) extra.push_back(options.observedFile);
  StudyInputs inputs = OatStudyInputs(ReadModelChoiceFile(RunFiles{}), extra);
  inputs.AddSetting("the method", "morris " + std::to_string(morris.trajectories) + " " +
                                      std::to_string(morris.levels) + " " + std::to_string(morris.seed));
  FigureProgress progress = RestoreOatProgress(options, inputs, design.size());
  PendingFile table = CreatePendingOrDie(kMorrisResultFile), runsTable = CreatePendingOrDie(kMorrisRunsFile);
  FigureStudy study{"Morris run", {}};
  for (const MorrisPoint& point : design) study.jobs.emplace_back(point.multipliers, point.multipliers + kParameterCount);
  MakeFigureRuns(study, run, options, settings, session, inputs, progress, [](size_t, const RunOutcome&) {});
  const bool observed = !in.observed.empty();
  const std::vector<std::string> names = OutputNames(observed);
  const std::vector<RunResult> outputs = RunOutputs(progress, observed);
  const std::vector<MorrisStatistics> statistics =
      MorrisEffects(design, outputs, static_cast<int>(names.size()), morris.levels, morris.bootstrap, morris.seed,
                    [&](size_t k, int i) { return RoundedAway(design, parameters.records, k, i); });
  std::printf("Morris screening: %d trajectories of %d runs on %d levels\n", morris.trajectories, kParameterCount + 1,
              morris.levels);
  std::fputs(MorrisRanking(statistics, names).c_str(), stdout);
  table.Write(MorrisTable(statistics, names));
  runsTable.Write(RunsTable(design, outputs, names));
  for (PendingFile* file : {&table, &runsTable})
    if (int cause = file->Close())
      FatalError("Can not write file: " + file->path() + " (" + std::strerror(cause) + ")\n");
  InstallOrDie(table);
  InstallOrDie(runsTable);
  RemoveOatProgress();
  session.Finish();
  return 0;
}
