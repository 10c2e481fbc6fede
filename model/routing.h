#pragma once
// The routing stage of the stand-in model: each reach takes its subbasin's
// local runoff plus what flows in from upstream, loses a share to the river
// bed and the flood plain, and passes the rest downstream delayed by lag,
// Muskingum-Cunge or diffusion routing. A reach whose Downid names no reach
// is an outlet.

#include <vector>

#include "source_records.h"

namespace fluvex {

enum class RoutingMethod { Diffusion = 1, MuskingumCunge = 2, Lag = 3 };

// Upstream reaches before downstream ones; throws ModelError for a loop.
std::vector<size_t> UpstreamFirstOrder(const std::vector<ReachRecord>& reaches);

// Lag routing: the series shifted by `lagDays` days (fractions split between
// the two neighbouring days). What would leave after the last day stays in the reach.
std::vector<double> LagSeries(const std::vector<double>& inflow, double lagDays);

// Muskingum routing with storage constant K (days) and weight X, sub-stepped
// so that no coefficient is negative.
std::vector<double> MuskingumSeries(const std::vector<double>& inflow, double kDays, double x);

// The share of a day's inflow lost: Rivloss of all of it, Riverploss of what
// lies above Flowref (the flood plain), both held within 0 to 1.
double ChannelLoss(const ReachRecord& reach, double inflow);

// Travel-time parameters of one reach for a method: K in days and X.
void RoutingParameters(const ReachRecord& reach, RoutingMethod method, double& kDays, double& x);

// Routes the local runoff (days x reaches, row-major, m3/s) through the
// network; returns the outflow of every reach in the same layout.
std::vector<double> RouteNetwork(const std::vector<ReachRecord>& reaches, RoutingMethod method,
                                 const std::vector<double>& localRunoff, int days);

}  // namespace fluvex
