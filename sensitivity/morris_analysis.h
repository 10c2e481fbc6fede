#pragma once
// The elementary effects of a Morris design and their statistics per
// output and parameter: mu (mean effect), mu* (mean absolute effect), sigma
// (standard deviation, divisor r - 1), the 95 % confidence half-width of mu*
// from bootstrap resamples of the effects, and r, the number of effects.

#include <cstdint>
#include <string>
#include <vector>

#include "morris_design.h"
#include "run_dispatch.h"

struct MorrisStatistics {
  int output = 0;      // index into the output names
  int parameter = 0;   // 1 to 20
  double mu, muStar, sigma, muStarConf;
  int r = 0;
};

// `figures[k]` are the outputs of run k (empty for a run that failed);
// `zeroStep(point, parameter)` says whether the step to `point` leaves the
// model's input unchanged for that parameter (bounds held, or an integer
// field that rounding keeps), so that it gives no effect.
std::vector<MorrisStatistics> MorrisEffects(const std::vector<MorrisPoint>& design,
                                            const std::vector<RunResult>& figures, int outputs, int levels,
                                            int bootstrap, uint64_t seed,
                                            const std::function<bool(size_t, int)>& zeroStep);

// "morris.csv": output,parameter,mu,mu_star,sigma,mu_star_conf,r, nine significant digits.
std::string MorrisTable(const std::vector<MorrisStatistics>& statistics, const std::vector<std::string>& outputs);

// The parameters ranked by mu* for each output, for standard output.
std::string MorrisRanking(const std::vector<MorrisStatistics>& statistics, const std::vector<std::string>& outputs);
