#pragma once
// The percentile band of a study: at each step and station, two percentiles
// and the median of the flows of the runs that succeeded, built block by
// block from the flow store.

#include <cstddef>
#include <vector>

#include "arrays.h"
#include "flow_store.h"

struct PercentileBand {
  DoubleMatrix lower, median, upper;  // steps x fluxes
};

// The percentiles `low` and `high` (and 50) over the slots `slots` of
// `store`; NaN flows are left out.
PercentileBand BuildPercentileBand(FlowStore& store, const std::vector<size_t>& slots, int steps, int fluxes,
                                   double low, double high);
