#pragma once
// Runs made one after another by this process, in it or in its worker process.

#include <memory>
#include <vector>

#include "attempts.h"
#include "run_dispatch.h"
#include "run_outcome.h"

// Makes each run when its outcome is asked for, with up to 1 + retries attempts.
std::unique_ptr<RunDispatcher> MakeSerialDispatcher(const std::vector<RunJob>& jobs,
                                                    std::unique_ptr<AttemptMaker> attempts, const RunPolicy& policy);

// The attempts at one run, as the policy allows; each attempt's time limit from `limit`.
RunOutcome AttemptRun(AttemptMaker& attempts, size_t index, const RunJob& job, int retries, TimeLimit& limit);
