#pragma once
// oat-sensitivity --method morris: Morris elementary-effects screening of
// the 20 parameters, in the working directory and with the inputs of the
// one-at-a-time design.

#include "model_library.h"
#include "parallel.h"
#include "run_options.h"
#include "run_settings.h"

extern const char* const kMorrisDesignFile;   // "morris_design.csv"
extern const char* const kMorrisResultFile;   // "morris.csv"
extern const char* const kMorrisRunsFile;     // "morris_runs.csv"

// Everything of the Morris screening after the library is bound. Returns the
// exit status; a worker serves runs and returns when it is done.
int MorrisRunDriver(const ModelEntryPoints& entries, const RunOptions& options, const RunSettings& settings,
                    ParallelSession& session);
