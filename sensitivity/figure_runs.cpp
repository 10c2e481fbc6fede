#include "figure_runs.h"

#include <algorithm>

#include "run_book.h"
#include "run_failure.h"

void MakeFigureRuns(const FigureStudy& study, RunFunction run, const RunOptions& options, const RunSettings& settings,
                    ParallelSession& session, StudyInputs& inputs, FigureProgress& progress,
                    const std::function<void(size_t, const RunOutcome&)>& onRun) {
  std::vector<size_t> runs;
  if (options.retryFailed) runs = progress.failed;
  for (size_t k = static_cast<size_t>(progress.completedRuns); k < study.jobs.size(); ++k) runs.push_back(k);
  std::vector<RunJob> jobs;
  for (size_t k : runs) jobs.push_back(study.jobs[k]);
  RunBook runBook(
      BookSettings("oat-sensitivity", study.jobName, study.jobs.size(), runs.size(), options), [](size_t k) { return std::to_string(k + 1); }, [&](size_t k) { return JobText(study.jobs[k]); },
      options.retryFailed ? std::vector<size_t>{} : progress.failed);
  {
    std::unique_ptr<RunDispatcher> dispatcher = session.MakeDispatcher(jobs, WatchingLocalRuns(run, inputs), 0, settings);
    for (size_t position = 0; position < runs.size(); ++position) {
      const size_t k = runs[position];
      RunOutcome outcome = runBook.Take(*dispatcher, position, k);
      auto failed = std::find(progress.failed.begin(), progress.failed.end(), k);
      if (outcome.ok()) {
        progress.figures[k] = outcome.last.values;
        if (failed != progress.failed.end()) progress.failed.erase(failed);
      } else {
        progress.figures[k].clear();
        if (failed == progress.failed.end()) progress.failed.push_back(k);
      }
      onRun(k, outcome);
      progress.completedRuns = std::max(progress.completedRuns, static_cast<int>(k) + 1);
      SaveOatProgress(progress, k, inputs);
    }
  }  // the workers are done
  runBook.Finish();
}
