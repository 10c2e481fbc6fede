#pragma once
// The ensemble loop of ensemble-runner: one model run per calibrated set,
// bounds and average over the runs, ranking, and the run of middle rank.

#include <string>

#include "calibration_settings.h"
#include "model_library.h"
#include "parallel.h"
#include "run_files.h"
#include "run_options.h"
#include "run_settings.h"

// The whole program after the library is bound and the run-control file
// (`controlPath`) and the calibration settings read. Returns the exit
// status; an MPI worker serves runs and returns when the coordinator is done.
int RunEnsemble(CalibrationSettings& settings, const RunFiles& files, const std::string& controlPath,
                const ModelEntryPoints& entries, const RunOptions& options, const RunSettings& runSettings,
                ParallelSession& session);
