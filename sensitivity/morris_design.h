#pragma once
// The Morris elementary-effects design: R trajectories of k + 1 = 21 points
// on a grid of P levels in the unit cube of the 20 parameters, each
// parameter scaled between its lower and upper multiplier. A trajectory
// starts at a base point x* (every coordinate at most 1 - delta, delta =
// P / (2 (P - 1))) moved up by delta where the parameter's drawn sign is
// negative, then moves one parameter at a time, in a drawn order, to its other
// value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parameter_table.h"

// The random numbers of the design and the bootstrap: the same seed gives
// the same numbers on every platform (xoshiro256**, seeded by splitmix64).
class DesignRandom {
 public:
  explicit DesignRandom(uint64_t seed);
  uint64_t Next();
  // A whole number from 0 to n - 1, without the bias of a plain remainder.
  uint64_t Below(uint64_t n);

 private:
  uint64_t state_[4];
};

struct MorrisSettings {
  int trajectories = 20;  // R
  int levels = 4;         // P
  uint64_t seed = 1;
  int bootstrap = 1000;   // B
};

double MorrisDelta(int levels);

struct MorrisPoint {
  int trajectory = 0;     // from 1
  int step = 0;           // 0 for the start, then 1 to 20
  int changed = 0;        // the parameter (1 to 20) that this step moved, 0 at the start
  double x[kParameterCount];           // the point in the unit cube
  double multipliers[kParameterCount];
};

// R x 21 points; multipliers = lower + x (upper - lower).
std::vector<MorrisPoint> DrawMorrisDesign(const MorrisSettings& settings, const double lower[kParameterCount],
                                          const double upper[kParameterCount]);

// "morris_design.csv": trajectory,step,changed_parameter, then the 20
// parameters' names; a row a point, the multipliers with nine significant digits.
std::string MorrisDesignText(const std::vector<MorrisPoint>& design);

// The design back from its text (the grid positions are not kept there: x
// is left at 0); throws InputError for a text that is not such a design of
// `points` points.
std::vector<MorrisPoint> ParseMorrisDesign(std::string_view text, const std::string& path, size_t points);
