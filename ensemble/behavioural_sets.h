#pragma once
// The parameter sets a study runs: all of them, or the behavioural ones by
// their first-flux objective value (smaller is better, the direction in
// which the ranking orders the runs).

#include <cstddef>
#include <vector>

#include "arrays.h"
#include "run_options.h"

// The runs (0-based, ascending) that `rule` keeps of the `objectives` rows
// (nruns x nflux). top:S% keeps ceil(S/100 x nruns) sets of smallest value,
// the earlier line first among equals; objective<=V those with value <= V.
// A NaN value is never kept.
std::vector<size_t> BehaviouralRuns(const DoubleMatrix& objectives, const BehaviouralRule& rule);
