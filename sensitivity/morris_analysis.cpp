#include "morris_analysis.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "number_format.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The bootstrap of one output and parameter draws from its own stream, so
// that the figures do not depend on the order they are computed in.
uint64_t StreamSeed(uint64_t seed, int output, int parameter) {
  return seed * 0x9e3779b97f4a7c15ull + static_cast<uint64_t>(output) * 1000003ull + static_cast<uint64_t>(parameter);
}

double MeanAbsolute(const std::vector<double>& effects) {
  double sum = 0;
  for (double e : effects) sum += std::fabs(e);
  return sum / static_cast<double>(effects.size());
}

MorrisStatistics Summarise(const std::vector<double>& effects, int bootstrap, uint64_t seed) {
  MorrisStatistics s;
  s.r = static_cast<int>(effects.size());
  s.mu = s.muStar = s.sigma = s.muStarConf = kNaN;
  if (effects.empty()) return s;
  double sum = 0;
  for (double e : effects) sum += e;
  s.mu = sum / s.r;
  s.muStar = MeanAbsolute(effects);
  if (s.r < 2) return s;
  double squares = 0;
  for (double e : effects) squares += (e - s.mu) * (e - s.mu);
  s.sigma = std::sqrt(squares / (s.r - 1));
  if (bootstrap < 2) return s;
  DesignRandom random(seed);
  std::vector<double> resampled(static_cast<size_t>(bootstrap));
  double total = 0;
  for (double& m : resampled) {
    double absolute = 0;
    for (int k = 0; k < s.r; ++k) absolute += std::fabs(effects[random.Below(static_cast<uint64_t>(s.r))]);
    m = absolute / s.r;
    total += m;
  }
  const double mean = total / bootstrap;
  double spread = 0;
  for (double m : resampled) spread += (m - mean) * (m - mean);
  s.muStarConf = 1.96 * std::sqrt(spread / (bootstrap - 1));
  return s;
}

}  // namespace

std::vector<MorrisStatistics> MorrisEffects(const std::vector<MorrisPoint>& design,
                                            const std::vector<RunResult>& figures, int outputs, int levels,
                                            int bootstrap, uint64_t seed,
                                            const std::function<bool(size_t, int)>& zeroStep) {
  const double delta = MorrisDelta(levels);
  // effects[output][parameter - 1]
  std::vector<std::vector<std::vector<double>>> effects(
      static_cast<size_t>(outputs), std::vector<std::vector<double>>(kParameterCount));
  for (size_t k = 1; k < design.size(); ++k) {
    const MorrisPoint& after = design[k];
    if (after.step == 0) continue;
    const MorrisPoint& before = design[k - 1];
    const int i = after.changed;
    const double change = after.multipliers[i - 1] - before.multipliers[i - 1];
    if (change == 0 || zeroStep(k, i)) continue;
    const RunResult& a = figures[k];
    const RunResult& b = figures[k - 1];
    if (a.size() < static_cast<size_t>(outputs) || b.size() < static_cast<size_t>(outputs)) continue;  // a failed run
    for (int o = 0; o < outputs; ++o) {
      const double rise = change > 0 ? a[static_cast<size_t>(o)] - b[static_cast<size_t>(o)]
                                     : b[static_cast<size_t>(o)] - a[static_cast<size_t>(o)];
      if (std::isfinite(rise)) effects[static_cast<size_t>(o)][static_cast<size_t>(i - 1)].push_back(rise / delta);
    }
  }
  std::vector<MorrisStatistics> statistics;
  for (int o = 0; o < outputs; ++o)
    for (int i = 1; i <= kParameterCount; ++i) {
      MorrisStatistics s = Summarise(effects[static_cast<size_t>(o)][static_cast<size_t>(i - 1)], bootstrap,
                                     StreamSeed(seed, o, i));
      s.output = o;
      s.parameter = i;
      statistics.push_back(s);
    }
  return statistics;
}

std::string MorrisTable(const std::vector<MorrisStatistics>& statistics, const std::vector<std::string>& outputs) {
  std::string out = "output,parameter,mu,mu_star,sigma,mu_star_conf,r\n";
  for (const MorrisStatistics& s : statistics) {
    out += outputs[static_cast<size_t>(s.output)] + "," + kAdjustableParameters[s.parameter - 1].name;
    for (double figure : {s.mu, s.muStar, s.sigma, s.muStarConf}) {
      out += ',';
      AppendTidy(out, figure);
    }
    out += FormatString(",%d\n", s.r);
  }
  return out;
}

std::string MorrisRanking(const std::vector<MorrisStatistics>& statistics, const std::vector<std::string>& outputs) {
  std::string out;
  for (size_t o = 0; o < outputs.size(); ++o) {
    std::vector<MorrisStatistics> mine;
    for (const MorrisStatistics& s : statistics)
      if (s.output == static_cast<int>(o)) mine.push_back(s);
    // Larger mu* first; parameters without an effect last, in their order.
    std::stable_sort(mine.begin(), mine.end(), [](const MorrisStatistics& a, const MorrisStatistics& b) {
      const double x = std::isnan(a.muStar) ? -1 : a.muStar, y = std::isnan(b.muStar) ? -1 : b.muStar;
      return x > y;
    });
    out += outputs[o] + ": parameters ranked by mu*\n";
    int rank = 0;
    for (const MorrisStatistics& s : mine)
      out += FormatString("  %2d  %-10s mu* %-12.6g +- %-12.6g sigma %-12.6g r %d\n", ++rank,
                          kAdjustableParameters[s.parameter - 1].name, s.muStar, s.muStarConf, s.sigma, s.r);
  }
  return out;
}
