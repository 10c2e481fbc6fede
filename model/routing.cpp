#include "routing.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "model_inputs.h"

namespace fluvex {

std::vector<size_t> UpstreamFirstOrder(const std::vector<ReachRecord>& reaches) {
  std::map<int, size_t> byId;
  for (size_t i = 0; i < reaches.size(); ++i) byId[reaches[i].basinId] = i;
  std::vector<int> pending(reaches.size(), 0);  // upstream reaches not yet placed
  for (const ReachRecord& r : reaches) {
    auto down = byId.find(r.downId);
    if (down != byId.end() && r.downId != r.basinId) ++pending[down->second];
  }
  std::vector<size_t> order;
  for (size_t i = 0; i < reaches.size(); ++i)
    if (pending[i] == 0) order.push_back(i);
  for (size_t k = 0; k < order.size(); ++k) {
    const ReachRecord& r = reaches[order[k]];
    auto down = byId.find(r.downId);
    if (down != byId.end() && r.downId != r.basinId && --pending[down->second] == 0)
      order.push_back(down->second);
  }
  if (order.size() != reaches.size()) throw ModelError{"river.txt: the reaches form a loop"};
  return order;
}

std::vector<double> LagSeries(const std::vector<double>& inflow, double lagDays) {
  std::vector<double> out(inflow.size(), 0.0);
  double lag = std::max(0.0, lagDays);
  size_t whole = static_cast<size_t>(std::floor(lag));
  double part = lag - std::floor(lag);
  for (size_t d = 0; d < inflow.size(); ++d) {
    if (d + whole < out.size()) out[d + whole] += inflow[d] * (1.0 - part);
    if (d + whole + 1 < out.size()) out[d + whole + 1] += inflow[d] * part;
  }
  return out;
}

std::vector<double> MuskingumSeries(const std::vector<double>& inflow, double k, double x) {
  std::vector<double> out(inflow.size(), 0.0);
  if (inflow.empty()) return out;
  if (k < 0.01) return inflow;  // a reach this short passes its inflow through
  x = std::min(0.5, std::max(0.0, x));
  int steps = static_cast<int>(std::ceil(1.0 / (2.0 * k * (1.0 - x))));
  steps = std::max(1, std::min(steps, 1000));
  double dt = 1.0 / steps;
  x = std::min(x, dt / (2.0 * k));
  double denominator = 2.0 * k * (1.0 - x) + dt;
  double c0 = (dt - 2.0 * k * x) / denominator;
  double c1 = (dt + 2.0 * k * x) / denominator;
  double c2 = (2.0 * k * (1.0 - x) - dt) / denominator;
  double previousIn = inflow[0], previousOut = 0.0;
  for (size_t d = 0; d < inflow.size(); ++d) {
    double sum = 0;
    for (int s = 0; s < steps; ++s) {
      double in = inflow[d];
      double o = std::max(0.0, c0 * in + c1 * previousIn + c2 * previousOut);
      previousIn = in;
      previousOut = o;
      sum += o;
    }
    out[d] = sum / steps;
  }
  return out;
}

static double Share(float v) { return std::min(1.0, std::max(0.0, static_cast<double>(v))); }

double ChannelLoss(const ReachRecord& r, double inflow) {
  double bed = Share(r.rivLoss) * inflow;
  double plain = Share(r.riverPLoss) * std::max(0.0, inflow - bed - static_cast<double>(r.flowRef));
  return bed + plain;
}

void RoutingParameters(const ReachRecord& r, RoutingMethod method, double& kDays, double& x) {
  const double length = std::max(0.0, static_cast<double>(r.rivLength)) * 1000.0;  // km to m
  if (method == RoutingMethod::MuskingumCunge) {
    // Kinematic celerity of a 1 m deep wide channel, from Manning's formula.
    double n = std::max(0.001, static_cast<double>(r.rivManning));
    double slope = std::max(1e-6, static_cast<double>(r.rivSlope));
    double width = std::max(1.0, static_cast<double>(r.rivWidth));
    double celerity = 5.0 / 3.0 * std::sqrt(slope) / n;
    double reference = std::max(1.0, static_cast<double>(r.flowRef));
    kDays = length / celerity / 86400.0;
    x = length > 0 ? 0.5 - reference / (2.0 * width * slope * celerity * length) : 0.0;
    return;
  }
  double celerity = std::max(0.01, static_cast<double>(r.celerity));
  kDays = length / celerity / 86400.0;
  double diffusion = std::max(0.0, static_cast<double>(r.diffusion));
  x = method == RoutingMethod::Diffusion && length > 0 ? 0.5 - diffusion / (celerity * length) : 0.0;
}

std::vector<double> RouteNetwork(const std::vector<ReachRecord>& reaches, RoutingMethod method,
                                 const std::vector<double>& localRunoff, int days) {
  const size_t n = reaches.size();
  const size_t nd = static_cast<size_t>(days);
  std::vector<double> inflow(nd * n, 0.0), outflow(nd * n, 0.0);
  for (size_t k = 0; k < nd * n; ++k) inflow[k] = std::max(0.0, localRunoff[k]);
  std::map<int, size_t> byId;
  for (size_t i = 0; i < n; ++i) byId[reaches[i].basinId] = i;
  std::vector<double> series(nd);
  for (size_t i : UpstreamFirstOrder(reaches)) {
    const ReachRecord& r = reaches[i];
    for (size_t d = 0; d < nd; ++d) series[d] = inflow[d * n + i] - ChannelLoss(r, inflow[d * n + i]);
    double kDays = 0, x = 0;
    RoutingParameters(r, method, kDays, x);
    std::vector<double> routed =
        method == RoutingMethod::Lag ? LagSeries(series, kDays) : MuskingumSeries(series, kDays, x);
    auto down = byId.find(r.downId);
    bool outlet = down == byId.end() || r.downId == r.basinId;
    for (size_t d = 0; d < nd; ++d) {
      outflow[d * n + i] = routed[d];
      if (!outlet) inflow[d * n + down->second] += routed[d];
    }
  }
  return outflow;
}

}  // namespace fluvex
