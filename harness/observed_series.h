#pragma once
// The observed flow series: a header line, then per time step a label and
// comma-separated values, one per flux.

#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"

// Fills the nsteps x nflux matrix. A data line is a label, then at least nflux
// comma-separated values; an empty field, "NaN" or "NA" is a missing
// observation, held as NaN. Throws InputError for anything else.
DoubleMatrix ParseObservedSeries(std::string_view text, const std::string& path, int nsteps, int nflux);

// The names of the nflux value columns in the header line (after the label
// column), blanks and quotes dropped; "StationN" for a column the header
// does not name.
std::vector<std::string> ObservedStationNames(std::string_view text, int nflux);
