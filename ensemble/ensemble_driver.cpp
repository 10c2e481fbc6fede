#include "ensemble_driver.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "checked_files.h"
#include "ensemble_checkpoint.h"
#include "ensemble_inputs.h"
#include "ensemble_results.h"
#include "ensemble_state.h"
#include "input_error.h"
#include "model_inputs.h"
#include "model_run.h"
#include "objectives.h"
#include "run_dispatch.h"
#include "run_book.h"
#include "run_failure.h"
#include "serial_dispatch.h"
#include "text.h"

namespace {

// The lists every run is made from, read once before the first run so that
// a short list is refused before hours of runs.
struct EnsembleLists {
  DoubleMatrix observed;    // nsteps x nflux
  DoubleMatrix sets;        // nruns x 20 multipliers
  std::vector<int> setNumbers;  // the number each set line begins with
  DoubleMatrix objectives;  // nruns x nflux objective values
};

EnsembleLists ReadEnsembleLists(const CalibrationSettings& s, const RunFiles& files) {
  EnsembleLists lists;
  lists.observed =
      ParseObservedSeries(ReadFileOrDie(files.observedFlowFile), files.observedFlowFile, s.nsteps, s.nflux);
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
    for (size_t j = 0; j < i; ++j)
      if (same(name, *results[j].first))
        throw InputError(controlPath, 0, std::string("the ") + results[i].second + " and the " +
                                             results[j].second + " are the same file " + QuoteToken(name));
  }
}

// The runs of this session, in order: with --retry-failed the runs that
// failed before, then those after the last one the checkpoint holds.
std::vector<size_t> SessionRuns(const EnsembleProgress& progress, int nruns, bool retryFailed) {
  std::vector<size_t> runs;
  if (retryFailed) runs = progress.failed;
  for (int k = progress.completedRuns; k < nruns; ++k) runs.push_back(static_cast<size_t>(k));
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

// Makes the session's runs in order, folding and checkpointing each; a run
// that failed and is left out keeps its row, marked failed.
void RunAndFoldEnsemble(CalibrationSettings& s, const EnsembleLists& lists, const std::vector<size_t>& runs,
                        EnsembleProgress& progress, StudyInputs& inputs, RunDispatcher& dispatcher, RunBook& book,
                        EnsembleResults& r) {
  std::printf("------------------------------------------------------------------\n");
  for (size_t position = 0; position < runs.size(); ++position) {
    const size_t run = runs[position];
    const int k = static_cast<int>(run) + 1;
    std::printf("%5d   of  %5d  runs:\n", k, s.nruns);
    RunOutcome outcome = book.Take(dispatcher, position, run);
    auto failed = std::find(progress.failed.begin(), progress.failed.end(), run);
    if (outcome.ok()) {
      FoldRun(s, k, lists, outcome.last.values, r);
      if (failed != progress.failed.end()) progress.failed.erase(failed);
    } else if (failed == progress.failed.end()) {
      progress.failed.push_back(run);
    }
    progress.completedRuns = std::max(progress.completedRuns, k);
    SaveEnsembleProgress(progress, run, s, inputs, r);
  }
}

// The average is a sum of flow / nruns; over the runs that succeeded it
// divides by their number.
void AverageOverSucceededRuns(const CalibrationSettings& s, const EnsembleProgress& progress, EnsembleResults& r) {
  if (progress.failed.empty()) return;
  const double scale = static_cast<double>(s.nruns) / static_cast<double>(s.nruns - static_cast<int>(progress.failed.size()));
  for (int t = 0; t < s.nsteps; ++t)
    for (int j = 0; j < s.nflux; ++j) r.average[t][j] *= scale;
}

// The rows of the runs that succeeded, in run order: the table the ranking sorts.
DoubleMatrix RankedRows(const CalibrationSettings& s, const EnsembleProgress& progress, const EnsembleResults& r) {
  DoubleMatrix rows(s.nruns - static_cast<int>(progress.failed.size()), s.nflux + s.nparam);
  std::ptrdiff_t at = 0;
  for (int k = 0; k < s.nruns; ++k) {
    if (std::find(progress.failed.begin(), progress.failed.end(), static_cast<size_t>(k)) != progress.failed.end())
      continue;
    std::copy(r.runTable[k], r.runTable[k] + s.nflux + s.nparam, rows[at++]);
  }
  return rows;
}

// Ranks the sets by the first flux's objective value, runs the set of middle
// rank once more (unless a resumed study holds its flows) and scores it with
// all six objective functions. The final run failing is a stop.
void RunMiddleRankSet(CalibrationSettings& s, AttemptMaker& attempts, const RunSettings& settings,
                      EnsembleProgress& progress, StudyInputs& inputs, EnsembleResults& r) {
  DoubleMatrix ranked = RankedRows(s, progress, r);
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
  EnsembleResultFiles resultFiles = CreateEnsembleResultFiles(files);
  EnsembleResults r = AllocateEnsembleResults(s);
  r.observed = lists.observed;
  StudyInputs inputs = EnsembleStudyInputs(s, files, controlPath, choice);
  EnsembleProgress progress = RestoreEnsembleProgress(options, s, inputs, r);
  run = WatchingLocalRuns(std::move(run), inputs);
  const std::vector<size_t> runs = SessionRuns(progress, s.nruns, options.retryFailed);
  const std::vector<RunJob> jobs = EnsembleJobs(lists.sets, s, runs);
  RunBookSettings book;
  book.program = "ensemble-runner";
  book.jobName = "parameter set";
  book.total = static_cast<size_t>(s.nruns);
  book.first = static_cast<size_t>(s.nruns) - runs.size();
  book.skipFailed = runSettings.policy.skipFailed;
  book.resume = options.resume;
  book.progress = options.progress;
  RunBook runBook(
      book, [&](size_t k) { return std::to_string(lists.setNumbers[k]); },
      [&](size_t k) { return JobText(RunJob(lists.sets[static_cast<std::ptrdiff_t>(k)],
                                            lists.sets[static_cast<std::ptrdiff_t>(k)] + s.nparam)); },
      options.retryFailed ? std::vector<size_t>{} : progress.failed);
  std::time_t start = std::time(nullptr);
  {
    std::unique_ptr<RunDispatcher> dispatcher = session.MakeDispatcher(jobs, run, 0, runSettings);
    RunAndFoldEnsemble(s, lists, runs, progress, inputs, *dispatcher, runBook, r);
  }  // the workers are done
  runBook.Finish();
  AverageOverSucceededRuns(s, progress, r);
  std::unique_ptr<AttemptMaker> finalAttempts = MakeAttempts(runSettings, run, "final");
  RunMiddleRankSet(s, *finalAttempts, runSettings, progress, inputs, r);
  finalAttempts.reset();
  WriteEnsembleResults(s, r, resultFiles);
  RemoveEnsembleProgress();
  double elapsed = std::difftime(std::time(nullptr), start);
  std::printf("\nCompleted in %10.4g SECONDS. Free memory.\n", elapsed);
  std::printf("---------------------------------------------------\n\n");
  std::fflush(stdout);
  session.Finish();
  return 0;
}
