#include "ensemble_driver.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "checked_files.h"
#include "ensemble_checkpoint.h"
#include "ensemble_inputs.h"
#include "ensemble_results.h"
#include "ensemble_state.h"
#include "model_inputs.h"
#include "model_run.h"
#include "objectives.h"
#include "run_dispatch.h"

namespace {

// The lists every run is made from, read once before the first run so that
// a short list is refused before hours of runs.
struct EnsembleLists {
  DoubleMatrix sets;        // nruns x 20 multipliers
  DoubleMatrix objectives;  // nruns x nflux objective values
};

EnsembleLists ReadEnsembleLists(const CalibrationSettings& s, const RunFiles& files) {
  EnsembleLists lists;
  lists.sets = ParseRunList(ReadFileOrDie(files.parameterSetFile), files.parameterSetFile, s.nruns, s.nparam,
                            "multipliers");
  lists.objectives = ParseRunList(ReadFileOrDie(files.objectiveFile), files.objectiveFile, s.nruns, s.nflux,
                                  "objective values");
  return lists;
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
void RunAndFoldEnsemble(CalibrationSettings& s, const EnsembleLists& lists, int completed, uint64_t fingerprint,
                        RunDispatcher& dispatcher, EnsembleResults& r) {
  std::printf("------------------------------------------------------------------\n");
  for (int k = completed + 1; k <= s.nruns; ++k) {
    std::printf("%5d   of  %5d  runs:\n", k, s.nruns);
    FoldRun(s, k, lists, dispatcher.Result(static_cast<size_t>(k - 1)), r);
    SaveEnsembleProgress(k, s, fingerprint, r);
  }
}

// Ranks the sets by the first flux's objective value, runs the set of middle
// rank once more and scores it with all six objective functions.
void RunMiddleRankSet(CalibrationSettings& s, const RunFiles& files, const ModelEntryPoints& entries,
                      EnsembleResults& r) {
  SortRunTable(r.runTable, s.nruns);
  const double* selected = r.runTable[MiddleRankIndex(s.nruns)];
  std::copy(selected + s.nflux, selected + s.nflux + s.nparam, r.multipliers.data());
  std::printf("\n###### Make a single model run for time series with an optimal parameter set ######\n");
  RunModelOnce(s, r.multipliers, r.simulated, files, entries);
  EvaluateFinalRun(s, r.simulated, r.observed, r.finalStatistics);
  PrintObjectives(selected, s.nflux);
  std::printf("\n");
}

}  // namespace

int RunEnsemble(CalibrationSettings& s, const RunFiles& files, const ModelEntryPoints& entries,
                const RunOptions& options, ParallelSession& session) {
  std::printf("\n##### Make %4d model runs for boundary and average time series ####\n", s.nruns);
  EnsembleResults r = AllocateEnsembleResults(s);
  // Every run makes the records from the source files, so a count far beyond
  // what the files hold is reported there, not allocated here.
  s.nsub = ReadSubbasinCount(files.subbasinCountFile);
  ParseObservedSeries(ReadFileOrDie(files.observedFlowFile), files.observedFlowFile, s.nsteps, s.nflux,
                      r.observed);
  const EnsembleLists lists = ReadEnsembleLists(s, files);
  RunFunction run = EnsembleRun(s, files, entries);
  if (session.IsWorker()) return session.ServeRuns(run);

  const uint64_t fingerprint = EnsembleFingerprint(s, files);
  const int completed = RestoreEnsembleProgress(options, s, fingerprint, r);
  const std::vector<RunJob> jobs = EnsembleJobs(lists.sets, s);
  std::unique_ptr<RunDispatcher> dispatcher = session.MakeDispatcher(jobs, run, static_cast<size_t>(completed));
  std::time_t start = std::time(nullptr);
  RunAndFoldEnsemble(s, lists, completed, fingerprint, *dispatcher, r);
  dispatcher.reset();  // the workers are done
  RunMiddleRankSet(s, files, entries, r);
  WriteEnsembleResults(s, r, files);
  RemoveEnsembleProgress();
  double elapsed = std::difftime(std::time(nullptr), start);
  std::printf("\nCompleted in %10.4g SECONDS. Free memory.\n", elapsed);
  std::printf("---------------------------------------------------\n\n");
  std::fflush(stdout);
  session.Finish();
  return 0;
}
