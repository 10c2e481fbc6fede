#pragma once
// The two per-run lists of ensemble-runner: parameter sets and objective values.

#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"
#include "observed_series.h"


// The data lines of a per-run list: an integer, then at least `count`
// comma-separated numbers. Row k - 1 of the result belongs to run k.
// `what` names the values in messages ("multipliers", "objective values");
// `numbers`, when given, receives the integer that begins each line.
// Throws InputError for a line with too few values or a list with too few lines.
DoubleMatrix ParseRunList(std::string_view text, const std::string& path, int nruns, int count, const char* what,
                          std::vector<int>* numbers = nullptr);
