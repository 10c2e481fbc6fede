#pragma once
// The observed flow series and the two per-run lists (parameter sets and
// objective values) of ensemble-runner.

#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"

// Fills the nsteps x nflux matrix. A data line is a label, then at least nflux
// comma-separated values; an empty field, "NaN" or "NA" is a missing
// observation, held as NaN. Throws InputError for anything else.
DoubleMatrix ParseObservedSeries(std::string_view text, const std::string& path, int nsteps, int nflux);

// The data lines of a per-run list: an integer, then at least `count`
// comma-separated numbers. Row k - 1 of the result belongs to run k.
// `what` names the values in messages ("multipliers", "objective values");
// `numbers`, when given, receives the integer that begins each line.
// Throws InputError for a line with too few values or a list with too few lines.
DoubleMatrix ParseRunList(std::string_view text, const std::string& path, int nruns, int count, const char* what,
                          std::vector<int>* numbers = nullptr);
