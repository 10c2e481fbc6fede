#include "ensemble_driver.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "ensemble_checkpoint.h"
#include "ensemble_inputs.h"
#include "ensemble_results.h"
#include "fatal.h"
#include "model_run.h"
#include "objectives.h"
#include "run_dispatch.h"
#include "subbasin_count.h"
#include "text.h"

EnsembleResults AllocateEnsembleResults(const CalibrationSettings& s) {
  EnsembleResults r;
  r.observed = DoubleMatrix(s.nsteps, s.nflux);
  r.simulated = DoubleMatrix(s.nsteps, s.nflux);
  r.multipliers = DoubleVector(s.nparam);
  r.objectives = DoubleVector(s.nflux);
  r.upperBound = DoubleMatrix(s.nsteps, s.nflux);
  r.lowerBound = DoubleMatrix(s.nsteps, s.nflux);
  r.average = DoubleMatrix(s.nsteps, s.nflux);
  r.runTable = DoubleMatrix(s.nruns, s.nflux + s.nparam);
  r.finalStatistics = DoubleMatrix(6, s.nflux);
  r.upperBound.Fill(-1.0e12);
  r.lowerBound.Fill(1.0e12);
  return r;
}

void UpdateBoundsAndAverage(const CalibrationSettings& s, EnsembleResults& r) {
  for (int t = 0; t < s.nsteps; ++t) {
    const double* flow = r.simulated[t];
    double* upper = r.upperBound[t];
    double* lower = r.lowerBound[t];
    double* mean = r.average[t];
    for (int j = 0; j < s.nflux; ++j) {
      if (flow[j] >= upper[j]) upper[j] = flow[j];
      if (flow[j] <= lower[j]) lower[j] = flow[j];
      mean[j] += flow[j] / s.nruns;
    }
  }
}

void SortRunTable(DoubleMatrix& runTable, int nruns) {
  const std::ptrdiff_t width = runTable.columns();
  for (int i = 0; i < nruns; ++i) {
    int smallest = i;
    for (int j = i + 1; j < nruns; ++j)
      if (runTable[j][0] < runTable[smallest][0]) smallest = j;
    std::swap_ranges(runTable[i], runTable[i] + width, runTable[smallest]);
  }
}

int MiddleRankIndex(int nruns) { return (nruns + 1) / 2 - 1; }

namespace {

void PrintObjectives(const double* values, int nflux) {
  for (int j = 0; j < nflux; ++j) std::printf("OF Flux %2d = %6.3f\n", j + 1, values[j]);
}

}  // namespace

// The job of run k is its multipliers; its result the flows it simulated.
static std::vector<RunJob> EnsembleJobs(const DoubleMatrix& sets, const CalibrationSettings& s) {
  std::vector<RunJob> jobs;
  jobs.reserve(static_cast<size_t>(s.nruns));
  for (int k = 0; k < s.nruns; ++k) jobs.emplace_back(sets[k], sets[k] + s.nparam);
  return jobs;
}

void RunEnsemble(CalibrationSettings& s, const RunFiles& files, const ModelEntryPoints& entries,
                 const RunOptions& options, ParallelSession& session) {
  int balanceModel = 0, routingModel = 0, modelStatus = 0;
  std::printf("\n##### Make %4d model runs for boundary and average time series ####\n", s.nruns);
  EnsembleResults r = AllocateEnsembleResults(s);
  // Every run makes the records from the source files, so a count far beyond
  // what the files hold is reported there, not allocated here.
  s.nsub = ReadSubbasinCount(files.subbasinCountFile);
  ParseObservedSeries(ReadFileOrDie(files.observedFlowFile), files.observedFlowFile, s.nsteps, s.nflux,
                      r.observed);
  // Both lists are read once, so that a short list is refused before hours of runs.
  DoubleMatrix sets = ParseRunList(ReadFileOrDie(files.parameterSetFile), files.parameterSetFile,
                                   s.nruns, s.nparam, "multipliers");
  DoubleMatrix listedObjectives = ParseRunList(ReadFileOrDie(files.objectiveFile), files.objectiveFile,
                                               s.nruns, s.nflux, "objective values");
  // Only the coordinator keeps a checkpoint; workers read no more than their runs need.
  const uint64_t fingerprint = session.IsWorker() ? 0 : EnsembleFingerprint(s, files);
  const int completed = session.IsWorker() ? 0 : RestoreEnsembleProgress(options, s, fingerprint, r);
  const std::vector<RunJob> jobs = EnsembleJobs(sets, s);
  RunFunction run = [&](const RunJob& job) {
    ParameterSet set(s.nparam);
    std::copy(job.begin(), job.end(), set.data());
    DoubleMatrix flows(s.nsteps, s.nflux);
    RunModelOnce(s, set, flows, balanceModel, routingModel, files, entries, modelStatus);
    return RunResult(flows[0], flows[0] + static_cast<size_t>(s.nsteps) * static_cast<size_t>(s.nflux));
  };
  std::unique_ptr<RunDispatcher> dispatcher = session.MakeDispatcher(jobs, run, static_cast<size_t>(completed));
  std::time_t start = std::time(nullptr);
  std::printf("------------------------------------------------------------------\n");
  for (int k = completed + 1; k <= s.nruns; ++k) {
    std::printf("%5d   of  %5d  runs:\n", k, s.nruns);
    s.runIndex = k;
    std::copy(sets[k - 1], sets[k - 1] + s.nparam, r.multipliers.data());
    std::copy(listedObjectives[k - 1], listedObjectives[k - 1] + s.nflux, r.objectives.data());
    RunResult flows = dispatcher->Result(static_cast<size_t>(k - 1));
    std::copy(flows.begin(), flows.end(), r.simulated[0]);
    EvaluateObjective(s, r.simulated, r.observed, r.objectives);
    PrintObjectives(r.objectives.data(), s.nflux);
    std::printf("\n\n");
    UpdateBoundsAndAverage(s, r);
    double* row = r.runTable[k - 1];
    std::copy(r.objectives.data(), r.objectives.data() + s.nflux, row);
    std::copy(r.multipliers.data(), r.multipliers.data() + s.nparam, row + s.nflux);
    SaveEnsembleProgress(k, s, fingerprint, r);
  }
  dispatcher.reset();  // the workers are done
  SortRunTable(r.runTable, s.nruns);
  const double* selected = r.runTable[MiddleRankIndex(s.nruns)];
  std::copy(selected + s.nflux, selected + s.nflux + s.nparam, r.multipliers.data());
  std::printf("\n###### Make a single model run for time series with an optimal parameter set ######\n");
  RunModelOnce(s, r.multipliers, r.simulated, balanceModel, routingModel, files, entries, modelStatus);
  EvaluateFinalRun(s, r.simulated, r.observed, r.finalStatistics);
  PrintObjectives(selected, s.nflux);
  std::printf("\n");
  WriteEnsembleResults(s, r, files);
  RemoveEnsembleProgress();
  double elapsed = std::difftime(std::time(nullptr), start);
  std::printf("\nCompleted in %10.4g SECONDS. Free memory.\n", elapsed);
  std::printf("---------------------------------------------------\n\n");
  std::fflush(stdout);
}
