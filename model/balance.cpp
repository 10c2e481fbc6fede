#include "balance.h"

#include <algorithm>
#include <cmath>

namespace fluvex {

double SoilCapacity(const SubbasinRecord& b) {
  return std::max(1.0, static_cast<double>(b.soilWhc) * static_cast<double>(b.soilDepth) / 100.0);
}

static double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

static double TopShare(const SubbasinRecord& b, bool twoLayers) {
  return twoLayers ? std::min(0.9, std::max(0.1, static_cast<double>(b.topSoil))) : 0.0;
}

BalanceState InitialState(const SubbasinRecord& b, double wetness, bool twoLayers) {
  BalanceState s;
  double capacity = SoilCapacity(b) * Clamp01(wetness);
  s.soilTop = capacity * TopShare(b, twoLayers);
  s.soilBottom = capacity - s.soilTop;
  return s;
}

// Rainfall excess of the pervious part, in mm.
static double RainfallExcess(const SubbasinRecord& b, double rain) {
  if (b.aridity == 1) {
    double capacity = std::max(0.0, static_cast<double>(b.ks)) * 240.0;  // cm/h over a day, in mm
    return std::max(0.0, rain - capacity);
  }
  double cn = std::min(99.0, std::max(1.0, static_cast<double>(b.rcNumber)));
  double retention = 25400.0 / cn - 254.0;
  double initial = 0.2 * retention;
  return rain > initial ? (rain - initial) * (rain - initial) / (rain - initial + retention) : 0.0;
}

// Takes up to `demand` from a store, returns what it gave.
static double Draw(double& store, double demand) {
  double taken = std::min(store, std::max(0.0, demand));
  store -= taken;
  return taken;
}

DayBudget StepDay(const SubbasinRecord& b, bool twoLayers, double rain, double pet, BalanceState& s) {
  DayBudget day;
  day.rain = rain;
  const double impervious = Clamp01(b.maxCover);
  const double capacity = SoilCapacity(b);
  const double topCapacity = capacity * TopShare(b, twoLayers);
  const double bottomCapacity = capacity - topCapacity;
  double surface = impervious * rain;
  double pervious = rain - surface;
  double excess = RainfallExcess(b, pervious);
  double infiltration = pervious - excess;
  surface += excess;
  // Infiltration fills the top layer, then the bottom; what does not fit runs off.
  s.soilTop += infiltration;
  double overflow = std::max(0.0, s.soilTop - topCapacity);
  s.soilTop -= overflow;
  s.soilBottom += overflow;
  double saturation = std::max(0.0, s.soilBottom - bottomCapacity);
  s.soilBottom -= saturation;
  surface += saturation;
  // Evaporation, scaled by the pan coefficient and by the wetness of the layer it draws on.
  double demand = std::max(0.0, pet) * std::max(0.0, static_cast<double>(b.panCoeff));
  double fromTop = topCapacity > 0 ? Draw(s.soilTop, demand * s.soilTop / topCapacity) : 0.0;
  day.evaporation = fromTop + Draw(s.soilBottom, (demand - fromTop) * s.soilBottom / bottomCapacity);
  // Drainage grows with Ks and with wetness; steep slopes send more of it to interflow.
  double wetness = s.soilBottom / bottomCapacity;
  double drainage = Draw(s.soilBottom, std::max(0.0, static_cast<double>(b.ks)) * 24.0 * wetness * wetness);
  double slope = std::max(0.0, static_cast<double>(b.hSlope));
  double toInterflow = drainage * slope / (slope + 0.05);
  double recharge = drainage - toInterflow;
  day.loss = recharge * Clamp01(b.basinLoss);
  s.interflow += toInterflow;
  s.baseflow += recharge - day.loss;
  double interflowOut = s.interflow / std::max(1.0, static_cast<double>(b.interflowLag));
  double baseflowOut = s.baseflow / std::max(1.0, static_cast<double>(b.baseflowLag));
  s.interflow -= interflowOut;
  s.baseflow -= baseflowOut;
  day.outflow = surface + interflowOut + baseflowOut;
  return day;
}

double MillimetresToFlow(double mm, double areaKm2) { return mm * areaKm2 * 1000.0 / 86400.0; }

std::vector<double> RunBalance(const std::vector<SubbasinRecord>& basins, bool twoLayers,
                               const std::vector<double>& rain, const std::vector<double>& evaporation,
                               int days, double wetness) {
  const size_t n = basins.size();
  std::vector<double> runoff(static_cast<size_t>(days) * n);
  for (size_t i = 0; i < n; ++i) {
    BalanceState state = InitialState(basins[i], wetness, twoLayers);
    for (int d = 0; d < days; ++d) {
      size_t k = static_cast<size_t>(d) * n + i;
      DayBudget day = StepDay(basins[i], twoLayers, std::max(0.0, rain[k]), evaporation[k], state);
      runoff[k] = MillimetresToFlow(day.outflow, std::max(0.0, static_cast<double>(basins[i].area)));
    }
  }
  return runoff;
}

}  // namespace fluvex
