#pragma once
// The observed flow series: a header line, then per time step a label and
// comma-separated values, one per flux.

#include <string>
#include <string_view>

#include "arrays.h"

// Fills the nsteps x nflux matrix. A data line is a label, then at least nflux
// comma-separated values; an empty field, "NaN" or "NA" is a missing
// observation, held as NaN. Throws InputError for anything else.
DoubleMatrix ParseObservedSeries(std::string_view text, const std::string& path, int nsteps, int nflux);
