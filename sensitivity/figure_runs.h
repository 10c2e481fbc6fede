#pragma once
// The runs of a sensitivity design: each gives a few figures of the
// station's flow; they are made (serially or by MPI workers, in this process
// or isolated), recorded in the run book and checkpointed one by one.

#include <functional>
#include <string>
#include <vector>

#include "oat_checkpoint.h"
#include "parallel.h"
#include "run_dispatch.h"
#include "run_options.h"
#include "run_outcome.h"
#include "run_settings.h"
#include "study_inputs.h"

struct FigureStudy {
  std::string jobName;        // "OAT row", in messages
  std::vector<RunJob> jobs;   // one per run
};

// Makes the runs the progress lacks (with --retry-failed also those that
// failed before); after each, `onRun(run, outcome)`, then the checkpoint.
// A failed run is left out (its figures empty) or stops the study, as the
// policy says.
void MakeFigureRuns(const FigureStudy& study, RunFunction run, const RunOptions& options, const RunSettings& settings,
                    ParallelSession& session, StudyInputs& inputs, FigureProgress& progress,
                    const std::function<void(size_t, const RunOutcome&)>& onRun);
