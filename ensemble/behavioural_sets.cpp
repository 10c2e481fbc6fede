#include "behavioural_sets.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::vector<size_t> BehaviouralRuns(const DoubleMatrix& objectives, const BehaviouralRule& rule) {
  const size_t n = static_cast<size_t>(objectives.rows());
  std::vector<size_t> runs;
  auto value = [&](size_t k) { return objectives[static_cast<std::ptrdiff_t>(k)][0]; };
  switch (rule.kind) {
    case BehaviouralRule::Kind::All:
      runs.resize(n);
      std::iota(runs.begin(), runs.end(), size_t{0});
      break;
    case BehaviouralRule::Kind::AtMost:
      for (size_t k = 0; k < n; ++k)
        if (value(k) <= rule.value) runs.push_back(k);
      break;
    case BehaviouralRule::Kind::TopShare: {
      for (size_t k = 0; k < n; ++k)
        if (!std::isnan(value(k))) runs.push_back(k);
      // The share of all sets, rounded up; a small tolerance keeps 10 % of 30 at 3, not 4.
      const size_t wanted =
          std::min(runs.size(), static_cast<size_t>(std::ceil(rule.value / 100 * static_cast<double>(n) - 1e-9)));
      std::stable_sort(runs.begin(), runs.end(), [&](size_t a, size_t b) { return value(a) < value(b); });
      runs.resize(wanted);
      std::sort(runs.begin(), runs.end());
      break;
    }
  }
  return runs;
}
