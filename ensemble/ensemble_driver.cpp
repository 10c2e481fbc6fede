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
#include "run_failure.h"
#include "text.h"

namespace {

// The lists every run is made from, read once before the first run so that
// a short list is refused before hours of runs.
struct EnsembleLists {
  DoubleMatrix observed;    // nsteps x nflux
  DoubleMatrix sets;        // nruns x 20 multipliers
  DoubleMatrix objectives;  // nruns x nflux objective values
};

EnsembleLists ReadEnsembleLists(const CalibrationSettings& s, const RunFiles& files) {
  EnsembleLists lists;
  lists.observed =
      ParseObservedSeries(ReadFileOrDie(files.observedFlowFile), files.observedFlowFile, s.nsteps, s.nflux);
  lists.sets = ParseRunList(ReadFileOrDie(files.parameterSetFile), files.parameterSetFile, s.nruns, s.nparam,
                            "multipliers");
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

// The job of run k is its multipliers; its result the flows it simulated.
std::vector<RunJob> EnsembleJobs(const DoubleMatrix& sets, const CalibrationSettings& s) {
  std::vector<RunJob> jobs;
  jobs.reserve(static_cast<size_t>(s.nruns));
  for (int k = 0; k < s.nruns; ++k) jobs.emplace_back(sets[k], sets[k] + s.nparam);
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

// Runs k = completed + 1 to nruns in order, folding and checkpointing each.
void RunAndFoldEnsemble(CalibrationSettings& s, const EnsembleLists& lists, int completed, StudyInputs& inputs,
                        RunDispatcher& dispatcher, EnsembleResults& r) {
  std::printf("------------------------------------------------------------------\n");
  for (int k = completed + 1; k <= s.nruns; ++k) {
    std::printf("%5d   of  %5d  runs:\n", k, s.nruns);
    FoldRun(s, k, lists, dispatcher.Result(static_cast<size_t>(k - 1)), r);
    SaveEnsembleProgress(k, s, inputs, r);
  }
}

// Ranks the sets by the first flux's objective value, runs the set of middle
// rank once more (unless a resumed study holds its flows) and scores it with
// all six objective functions.
void RunMiddleRankSet(CalibrationSettings& s, const RunFunction& run, bool finalRunDone, StudyInputs& inputs,
                      EnsembleResults& r) {
  SortRunTable(r.runTable, s.nruns);
  const double* selected = r.runTable[MiddleRankIndex(s.nruns)];
  std::copy(selected + s.nflux, selected + s.nflux + s.nparam, r.multipliers.data());
  std::printf("\n###### Make a single model run for time series with an optimal parameter set ######\n");
  if (!finalRunDone) {
    const RunJob job(r.multipliers.data(), r.multipliers.data() + s.nparam);
    RunResult flows = RunNamed(0, job, [&] { return run(job); });
    std::copy(flows.begin(), flows.end(), r.simulated[0]);
    SaveFinalRun(s, inputs, r);
  }
  EvaluateFinalRun(s, r.simulated, r.observed, r.finalStatistics);
  PrintObjectives(selected, s.nflux);
  std::printf("\n");
}

}  // namespace

int RunEnsemble(CalibrationSettings& s, const RunFiles& files, const std::string& controlPath,
                const ModelEntryPoints& entries, const RunOptions& options, ParallelSession& session) {
  std::printf("\n##### Make %4d model runs for boundary and average time series ####\n", s.nruns);
  CheckSettingsAgainstModelRun(s, files);
  const EnsembleLists lists = ReadEnsembleLists(s, files);
  CheckRunInputs(s, files);
  const ModelChoice choice = ReadModelChoiceFile(files);
  RunFunction run = EnsembleRun(s, files, entries);
  if (session.IsWorker()) return session.ServeRuns(run);

  CheckResultNames(files, controlPath);
  EnsembleResultFiles resultFiles = CreateEnsembleResultFiles(files);
  EnsembleResults r = AllocateEnsembleResults(s);
  r.observed = lists.observed;
  StudyInputs inputs = EnsembleStudyInputs(s, files, controlPath, choice);
  const EnsembleProgress progress = RestoreEnsembleProgress(options, s, inputs, r);
  run = WatchingLocalRuns(std::move(run), inputs);
  const std::vector<RunJob> jobs = EnsembleJobs(lists.sets, s);
  std::unique_ptr<RunDispatcher> dispatcher =
      session.MakeDispatcher(jobs, run, static_cast<size_t>(progress.completedRuns));
  std::time_t start = std::time(nullptr);
  RunAndFoldEnsemble(s, lists, progress.completedRuns, inputs, *dispatcher, r);
  dispatcher.reset();  // the workers are done
  RunMiddleRankSet(s, run, progress.finalRunDone, inputs, r);
  WriteEnsembleResults(s, r, resultFiles);
  RemoveEnsembleProgress();
  double elapsed = std::difftime(std::time(nullptr), start);
  std::printf("\nCompleted in %10.4g SECONDS. Free memory.\n", elapsed);
  std::printf("---------------------------------------------------\n\n");
  std::fflush(stdout);
  session.Finish();
  return 0;
}
