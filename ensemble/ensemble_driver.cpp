#include "ensemble_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "checked_files.h"
#include "ensemble_checkpoint.h"
#include "ensemble_inputs.h"
#include "ensemble_results.h"
#include "ensemble_state.h"
#include "behavioural_sets.h"
#include "fit_measures.h"
#include "flow_store.h"
#include "input_error.h"
#include "model_inputs.h"
#include "model_run.h"
#include "objectives.h"
#include "observed_series.h"
#include "percentile_band.h"
#include "run_dispatch.h"
#include "run_book.h"
#include "run_failure.h"
#include "serial_dispatch.h"
#include "text.h"
#include "tidy_results.h"

namespace {

// The lists every run is made from, read once before the first run so that
// a short list is refused before hours of runs.
struct EnsembleLists {
  DoubleMatrix observed;    // nsteps x nflux
  DoubleMatrix sets;        // nruns x 20 multipliers
  std::vector<int> setNumbers;  // the number each set line begins with
  DoubleMatrix objectives;  // nruns x nflux objective values
  std::vector<std::string> stations;  // the observed file's column names
};

// Which runs the study makes and what it keeps of each beyond the bounds:
// the kept sets (all, or the behavioural ones), the store of every kept
// run's flows for a percentile band, each run's fit measures.
struct StudyPlan {
  std::vector<size_t> kept;           // runs (0-based, ascending) of the sets the study runs
  std::unique_ptr<FlowStore> flows;   // with --band
  bool fitsPerRun = false;            // --metrics-per-run
  // The place of kept run `run` in the flow store.
  size_t SlotOf(size_t run) const {
    return static_cast<size_t>(std::lower_bound(kept.begin(), kept.end(), run) - kept.begin());
  }
};

EnsembleLists ReadEnsembleLists(const CalibrationSettings& s, const RunFiles& files) {
  EnsembleLists lists;
  const std::string observed = ReadFileOrDie(files.observedFlowFile);
  lists.observed = ParseObservedSeries(observed, files.observedFlowFile, s.nsteps, s.nflux);
  lists.stations = ObservedStationNames(observed, s.nflux);
  lists.sets = ParseRunList(ReadFileOrDie(files.parameterSetFile), files.parameterSetFile, s.nruns, s.nparam,
                            "multipliers", &lists.setNumbers);
  lists.objectives = ParseRunList(ReadFileOrDie(files.objectiveFile), files.objectiveFile, s.nruns, s.nflux,
                                  "objective values");
  return lists;
}

// The files every run reads, checked once before the first run so that a
// bad one is reported before any model call. A table without a flagged
// parameter makes every run the same: allowed, but said.
void CheckRunInputs(const CalibrationSettings& s, const RunFiles& files) {
  ReadSourceRecords(files, s.nsub);
  if (ReadOptimisedParameters(files).empty())
    std::fprintf(stderr, "%s: no parameter is flagged adjustable; every run will use the source values\n",
                 files.parameterTableFile.c_str());
}

// A result file must not overwrite a file the study reads, nor another result.
void CheckResultNames(const RunFiles& f, const std::string& controlPath) {
  const std::pair<const std::string*, const char*> results[] = {
      {&f.seriesOutputFile, "series file"}, {&f.statisticsOutputFile, "statistics file"},
      {&f.boundsOutputFile, "bounds file"}};
  const std::pair<const std::string*, const char*> inputs[] = {
      {&controlPath, "run-control file"},        {&f.observedFlowFile, "observed flow file"},
      {&f.parameterSetFile, "parameter-set file"}, {&f.objectiveFile, "objective-value file"},
      {&f.subbasinCountFile, "subbasin-count file"}, {&f.calibrationSettingsFile, "calibration settings file"},
      {&f.parameterTableFile, "parameter table"}, {&f.basinFile, "model's basin file"},
      {&f.riverFile, "model's river file"},       {&f.basinOriginalFile, "source basin file"},
      {&f.riverOriginalFile, "source river file"}, {&f.modelChoiceFile, "model-choice file"}};
  auto same = NameTheSameFile;
  for (const char* tidy : {kMetricsFile, kRunMetricsFile, kBandFile})
    for (const auto& [input, role] : inputs)
      if (same(tidy, *input))
        throw InputError(controlPath, 0, std::string("the ") + role + " " + QuoteToken(*input) + " is named like " +
                                             "the result file " + tidy + " that ensemble-runner writes; rename it");
  for (size_t i = 0; i < 3; ++i) {
    const std::string& name = *results[i].first;
    for (const auto& [input, role] : inputs)
      if (same(name, *input))
        throw InputError(controlPath, 0, std::string("the ") + results[i].second + " " + QuoteToken(name) +
                                             " is also the " + role + "; name another file");
    for (const char* fixed : {kStreamflowFile, "balfiles.txt", "routfiles.txt", "fluvex.dll"})
      if (same(name, fixed))
        throw InputError(controlPath, 0, std::string("the ") + results[i].second + " " + QuoteToken(name) +
                                             " is a file of the model; name another file");
    for (const char* tidy : {kMetricsFile, kRunMetricsFile, kBandFile})
      if (same(name, tidy))
        throw InputError(controlPath, 0, std::string("the ") + results[i].second + " " + QuoteToken(name) +
                                             " is a tidy result file of ensemble-runner; name another file");
    for (size_t j = 0; j < i; ++j)
      if (same(name, *results[j].first))
        throw InputError(controlPath, 0, std::string("the ") + results[i].second + " and the " +
                                             results[j].second + " are the same file " + QuoteToken(name));
  }
}

// The runs of this session, in order: with --retry-failed the runs that
// failed before, then the kept ones after the last one the checkpoint holds.
std::vector<size_t> SessionRuns(const EnsembleProgress& progress, const std::vector<size_t>& kept, bool retryFailed) {
  std::vector<size_t> runs;
  if (retryFailed) runs = progress.failed;
  for (size_t k : kept)
    if (k >= static_cast<size_t>(progress.completedRuns)) runs.push_back(k);
  return runs;
}

// The job of a run is its multipliers; its result the flows it simulated.
std::vector<RunJob> EnsembleJobs(const DoubleMatrix& sets, const CalibrationSettings& s,
                                 const std::vector<size_t>& runs) {
  std::vector<RunJob> jobs;
  jobs.reserve(runs.size());
  for (size_t k : runs) jobs.emplace_back(sets[static_cast<std::ptrdiff_t>(k)], sets[static_cast<std::ptrdiff_t>(k)] + s.nparam);
  return jobs;
}

RunFunction EnsembleRun(CalibrationSettings& s, const RunFiles& files, const ModelEntryPoints& entries) {
  return [&s, &files, &entries](const RunJob& job) {
    ParameterSet set(s.nparam);
    std::copy(job.begin(), job.end(), set.data());
    DoubleMatrix flows(s.nsteps, s.nflux);
    RunModelOnce(s, set, flows, files, entries);
    return RunResult(flows[0], flows[0] + static_cast<size_t>(s.nsteps) * static_cast<size_t>(s.nflux));
  };
}

void PrintObjectives(const double* values, int nflux) {
  for (int j = 0; j < nflux; ++j) std::printf("OF Flux %2d = %6.3f\n", j + 1, values[j]);
}

// Folds run k's flows: its objective values printed, the bounds and average
// updated and its row of the run table filled.
void FoldRun(CalibrationSettings& s, int k, const EnsembleLists& lists, const RunResult& flows,
             EnsembleResults& r) {
  s.runIndex = k;
  std::copy(lists.sets[k - 1], lists.sets[k - 1] + s.nparam, r.multipliers.data());
  std::copy(lists.objectives[k - 1], lists.objectives[k - 1] + s.nflux, r.objectives.data());
  std::copy(flows.begin(), flows.end(), r.simulated[0]);
  EvaluateObjective(s, r.simulated, r.observed, r.objectives);
  PrintObjectives(r.objectives.data(), s.nflux);
  std::printf("\n\n");
  UpdateBoundsAndAverage(s, r);
  double* row = r.runTable[k - 1];
  std::copy(r.objectives.data(), r.objectives.data() + s.nflux, row);
  std::copy(r.multipliers.data(), r.multipliers.data() + s.nparam, row + s.nflux);
}

// The fit measures of the flows in r.simulated per flux, over the scored pairs.
std::vector<FitMeasures> MeasureFits(const CalibrationSettings& s, const EnsembleResults& r) {
  std::vector<FitMeasures> fits;
  std::vector<double> o, sim;
  for (int j = 0; j < s.nflux; ++j) {
    ScoredPairs(r.observed[0] + j, r.simulated[0] + j, s.nsteps, s.nflux, s.obsThreshold, o, sim);
    fits.push_back(MeasureFit(o.data(), sim.data(), static_cast<int>(o.size())));
  }
  return fits;
}

// What a study keeps of run k beyond the bounds: its flows for the band, its fit measures.
void KeepRun(const CalibrationSettings& s, int k, const StudyPlan& plan, EnsembleResults& r) {
  if (plan.flows) plan.flows->Put(plan.SlotOf(static_cast<size_t>(k - 1)), r.simulated[0]);
  if (plan.fitsPerRun) {
    const std::vector<FitMeasures> fits = MeasureFits(s, r);
    for (int j = 0; j < s.nflux; ++j) StoreFit(fits[static_cast<size_t>(j)], r.runFits[k - 1] + j * kFitFigures);
  }
}

// Makes the session's runs in order, folding and checkpointing each; a run
// that failed and is left out keeps its row, marked failed.
void RunAndFoldEnsemble(CalibrationSettings& s, const EnsembleLists& lists, const std::vector<size_t>& runs,
                        const StudyPlan& plan, EnsembleProgress& progress, StudyInputs& inputs,
                        RunDispatcher& dispatcher, RunBook& book, EnsembleResults& r) {
  std::printf("------------------------------------------------------------------\n");
  for (size_t position = 0; position < runs.size(); ++position) {
    const size_t run = runs[position];
    const int k = static_cast<int>(run) + 1;
    std::printf("%5d   of  %5d  runs:\n", k, s.nruns);
    RunOutcome outcome = book.Take(dispatcher, position, run);
    auto failed = std::find(progress.failed.begin(), progress.failed.end(), run);
    if (outcome.ok()) {
      FoldRun(s, k, lists, outcome.last.values, r);
      KeepRun(s, k, plan, r);
      if (failed != progress.failed.end()) progress.failed.erase(failed);
    } else {
      if (plan.flows) plan.flows->PutMissing(plan.SlotOf(run));
      if (failed == progress.failed.end()) progress.failed.push_back(run);
    }
    progress.completedRuns = std::max(progress.completedRuns, k);
    SaveEnsembleProgress(progress, run, s, inputs, r);
  }
}

// The average is a sum of flow / nruns; over the kept runs that succeeded it
// divides by their number.
void AverageOverSucceededRuns(const CalibrationSettings& s, const EnsembleProgress& progress, const StudyPlan& plan,
                              EnsembleResults& r) {
  const size_t succeeded = plan.kept.size() - progress.failed.size();
  if (succeeded == static_cast<size_t>(s.nruns)) return;
  const double scale = static_cast<double>(s.nruns) / static_cast<double>(succeeded);
  for (int t = 0; t < s.nsteps; ++t)
    for (int j = 0; j < s.nflux; ++j) r.average[t][j] *= scale;
}

// The kept runs that succeeded, in run order.
std::vector<size_t> SucceededRuns(const EnsembleProgress& progress, const StudyPlan& plan) {
  std::vector<size_t> runs;
  for (size_t k : plan.kept)
    if (std::find(progress.failed.begin(), progress.failed.end(), k) == progress.failed.end()) runs.push_back(k);
  return runs;
}

// The rows of the kept runs that succeeded, in run order: the table the ranking sorts.
DoubleMatrix RankedRows(const CalibrationSettings& s, const EnsembleProgress& progress, const StudyPlan& plan,
                        const EnsembleResults& r) {
  const std::vector<size_t> succeeded = SucceededRuns(progress, plan);
  DoubleMatrix rows(static_cast<std::ptrdiff_t>(succeeded.size()), s.nflux + s.nparam);
  std::ptrdiff_t at = 0;
  for (size_t k : succeeded) {
    const double* row = r.runTable[static_cast<std::ptrdiff_t>(k)];
    std::copy(row, row + s.nflux + s.nparam, rows[at++]);
  }
  return rows;
}

// Ranks the sets by the first flux's objective value, runs the set of middle
// rank once more (unless a resumed study holds its flows) and scores it with
// all six objective functions. The final run failing is a stop.
void RunMiddleRankSet(CalibrationSettings& s, AttemptMaker& attempts, const RunSettings& settings,
                      const StudyPlan& plan, EnsembleProgress& progress, StudyInputs& inputs, EnsembleResults& r) {
  DoubleMatrix ranked = RankedRows(s, progress, plan, r);
  SortRunTable(ranked, static_cast<int>(ranked.rows()));
  const double* selected = ranked[MiddleRankIndex(static_cast<int>(ranked.rows()))];
  std::copy(selected + s.nflux, selected + s.nflux + s.nparam, r.multipliers.data());
  std::printf("\n###### Make a single model run for time series with an optimal parameter set ######\n");
  if (!progress.finalRunDone) {
    const RunJob job(r.multipliers.data(), r.multipliers.data() + s.nparam);
    TimeLimit limit(settings.policy);
    RunOutcome outcome = AttemptRun(attempts, static_cast<size_t>(s.nruns), job, settings.policy.retries, limit);
    if (!outcome.ok())
      throw RunFailure(0, JobText(job), outcome.last.reason, outcome.last.folder, outcome.last.cause,
                       outcome.last.modelOutput);
    std::copy(outcome.last.values.begin(), outcome.last.values.end(), r.simulated[0]);
    SaveFinalRun(progress, s, inputs, r);
  }
  EvaluateFinalRun(s, r.simulated, r.observed, r.finalStatistics);
  PrintObjectives(selected, s.nflux);
  std::printf("\n");
}

// The kept sets, said on standard output when a rule picks them; none kept is an error.
std::vector<size_t> KeptRuns(const EnsembleLists& lists, const RunOptions& options, const RunFiles& files) {
  std::vector<size_t> kept = BehaviouralRuns(lists.objectives, options.behavioural);
  if (options.behavioural.kind == BehaviouralRule::Kind::All) return kept;
  if (kept.empty())
    throw InputError(files.objectiveFile, 0,
                     "no parameter set meets --behavioural " + options.behavioural.text +
                         " (by the first flux's objective value, smaller is better)");
  std::printf("Behavioural sets (%s): %zu of %zu sets kept; the others are not run\n",
              options.behavioural.text.c_str(), kept.size(), static_cast<size_t>(lists.objectives.rows()));
  return kept;
}

// The settings of the options that change what a study folds: a checkpoint
// made with others is refused.
void AddFitSettings(const RunOptions& options, StudyInputs& inputs) {
  inputs.AddSetting("the percentile band (--band)", options.band ? options.bandText : "none");
  inputs.AddSetting("the behavioural sets (--behavioural)", options.behavioural.text.empty() ? "all" : options.behavioural.text);
  inputs.AddSetting("the fit measures of every run (--metrics-per-run)", options.metricsPerRun ? "yes" : "no");
}

TidyNotes NotesOf(const RunOptions& options, const StudyPlan& plan, const EnsembleLists& lists, int nruns) {
  TidyNotes notes;
  notes.stations = lists.stations;
  notes.units = options.units;
  notes.startDate = options.startDate;
  notes.band = options.band ? "percentiles " + options.bandText + " of the runs" : "min/max of the runs";
  notes.keptSets = plan.kept.size();
  notes.totalSets = static_cast<size_t>(nruns);
  notes.behavioural = options.behavioural.text;
  return notes;
}

// The texts of the tidy files, in the order of CreateTidyFiles: metrics,
// then with their options the run metrics and the band.
std::vector<std::string> TidyTexts(const CalibrationSettings& s, const RunOptions& options, const StudyPlan& plan,
                                   const EnsembleLists& lists, const EnsembleProgress& progress,
                                   const EnsembleResults& r) {
  const TidyNotes notes = NotesOf(options, plan, lists, s.nruns);
  const std::vector<size_t> succeeded = SucceededRuns(progress, plan);
  std::unique_ptr<PercentileBand> band;
  if (plan.flows) {
    std::vector<size_t> slots;
    for (size_t k : succeeded) slots.push_back(plan.SlotOf(k));
    const auto start = std::chrono::steady_clock::now();
    band = std::make_unique<PercentileBand>(
        BuildPercentileBand(*plan.flows, slots, s.nsteps, s.nflux, options.bandLow, options.bandHigh));
    std::printf("Band of the percentiles %s built from %zu runs in %.1f s\n", options.bandText.c_str(), slots.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  const DoubleMatrix& lower = band ? band->lower : r.lowerBound;
  const DoubleMatrix& upper = band ? band->upper : r.upperBound;
  std::vector<BandCoverage> coverage;
  for (int j = 0; j < s.nflux; ++j)
    coverage.push_back(MeasureBand(r.observed[0] + j, lower[0] + j, upper[0] + j, s.nsteps, s.nflux, s.obsThreshold));
  std::vector<std::string> texts = {MetricsText(notes, MeasureFits(s, r), coverage)};
  if (plan.fitsPerRun) texts.push_back(RunMetricsText(notes, r.runFits, succeeded, lists.setNumbers, s.nflux));
  if (band) texts.push_back(BandText(notes, band->lower, band->median, band->upper));
  return texts;
}

std::vector<PendingFile> CreateTidyFiles(const RunOptions& options) {
  std::vector<PendingFile> files;
  files.push_back(CreatePendingOrDie(kMetricsFile));
  if (options.metricsPerRun) files.push_back(CreatePendingOrDie(kRunMetricsFile));
  if (options.band) files.push_back(CreatePendingOrDie(kBandFile));
  return files;
}

}  // namespace

int RunEnsemble(CalibrationSettings& s, const RunFiles& files, const std::string& controlPath,
                const ModelEntryPoints& entries, const RunOptions& options, const RunSettings& runSettings,
                ParallelSession& session) {
  std::printf("\n##### Make %4d model runs for boundary and average time series ####\n", s.nruns);
  CheckSettingsAgainstModelRun(s, files);
  const EnsembleLists lists = ReadEnsembleLists(s, files);
  CheckRunInputs(s, files);
  const ModelChoice choice = ReadModelChoiceFile(files);
  RunFunction run = EnsembleRun(s, files, entries);
  if (session.IsWorker()) return session.ServeRuns(run, runSettings);

  CheckResultNames(files, controlPath);
  StudyPlan plan;
  plan.kept = KeptRuns(lists, options, files);
  plan.fitsPerRun = options.metricsPerRun;
  EnsembleResultFiles resultFiles = CreateEnsembleResultFiles(files);
  resultFiles.tidy = CreateTidyFiles(options);
  EnsembleResults r = AllocateEnsembleResults(s);
  if (plan.fitsPerRun) r.runFits = DoubleMatrix(s.nruns, s.nflux * kFitFigures);
  r.observed = lists.observed;
  StudyInputs inputs = EnsembleStudyInputs(s, files, controlPath, choice);
  AddFitSettings(options, inputs);
  EnsembleProgress progress = RestoreEnsembleProgress(options, s, inputs, r);
  if (options.band) {
    plan.flows = std::make_unique<FlowStore>(FlowStorePath(options.workerRoot), plan.kept.size(),
                                             static_cast<size_t>(s.nsteps), static_cast<size_t>(s.nflux));
    plan.flows->Open(plan.SlotOf(static_cast<size_t>(progress.completedRuns)));
  }
  run = WatchingLocalRuns(std::move(run), inputs);
  const std::vector<size_t> runs = SessionRuns(progress, plan.kept, options.retryFailed);
  const std::vector<RunJob> jobs = EnsembleJobs(lists.sets, s, runs);
  RunBook runBook(
      BookSettings("ensemble-runner", "parameter set", plan.kept.size(), runs.size(), options),
      [&](size_t k) { return std::to_string(lists.setNumbers[k]); },
      [&](size_t k) { return JobText(RunJob(lists.sets[static_cast<std::ptrdiff_t>(k)],
                                            lists.sets[static_cast<std::ptrdiff_t>(k)] + s.nparam)); },
      options.retryFailed ? std::vector<size_t>{} : progress.failed);
  std::time_t start = std::time(nullptr);
  {
    std::unique_ptr<RunDispatcher> dispatcher = session.MakeDispatcher(jobs, run, 0, runSettings);
    RunAndFoldEnsemble(s, lists, runs, plan, progress, inputs, *dispatcher, runBook, r);
  }  // the workers are done
  runBook.Finish();
  AverageOverSucceededRuns(s, progress, plan, r);
  std::unique_ptr<AttemptMaker> finalAttempts = MakeAttempts(runSettings, run, "final");
  RunMiddleRankSet(s, *finalAttempts, runSettings, plan, progress, inputs, r);
  finalAttempts.reset();
  WriteEnsembleResults(s, r, resultFiles, TidyTexts(s, options, plan, lists, progress, r));
  RemoveEnsembleProgress();
  if (plan.flows) plan.flows->Remove();
  double elapsed = std::difftime(std::time(nullptr), start);
  std::printf("\nCompleted in %10.4g SECONDS. Free memory.\n", elapsed);
  std::printf("---------------------------------------------------\n\n");
  std::fflush(stdout);
  session.Finish();
  return 0;
}
