#pragma once
// The water-balance stage of the stand-in model: per subbasin and day, rain
// on impervious cover runs off at once, rain on the pervious part is split
// into rainfall excess and infiltration, the soil store loses evaporation and
// drains into an interflow and a baseflow linear reservoir, and part of the
// groundwater recharge is lost from the basin.

#include <vector>

#include "source_records.h"

namespace fluvex {

struct BalanceState {
  double soilTop = 0;     // mm; the one-layer soil uses only soilBottom
  double soilBottom = 0;  // mm
  double interflow = 0;   // mm in the interflow reservoir
  double baseflow = 0;    // mm in the baseflow reservoir
  double Total() const { return soilTop + soilBottom + interflow + baseflow; }
};

// One day's water budget of a subbasin, all in mm over its area.
struct DayBudget {
  double rain = 0, evaporation = 0, loss = 0, outflow = 0;
};

// Soil capacity in mm: water holding capacity (mm per metre) times depth (cm) / 100.
double SoilCapacity(const SubbasinRecord& basin);

// Starting state with the soil at `wetness` (0 to 1) of its capacity.
BalanceState InitialState(const SubbasinRecord& basin, double wetness, bool twoLayers);

// Advances one day. Aridity 1 takes the infiltration-capacity rule (Ks),
// any other value the curve-number rule (Rcnumber).
DayBudget StepDay(const SubbasinRecord& basin, bool twoLayers, double rain, double potentialEvaporation,
                  BalanceState& state);

// mm per day over `areaKm2` as m3/s.
double MillimetresToFlow(double mm, double areaKm2);

// The whole balance stage: local runoff in m3/s, days x subbasins, row-major.
std::vector<double> RunBalance(const std::vector<SubbasinRecord>& basins, bool twoLayers,
                               const std::vector<double>& rain, const std::vector<double>& evaporation,
                               int days, double wetness);

}  // namespace fluvex
