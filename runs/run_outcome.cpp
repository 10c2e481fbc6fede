#include "run_outcome.h"

#include <algorithm>
#include <ctime>

void TimeLimit::Record(double seconds) {
  if (first_.size() < 10) first_.push_back(seconds);
}

double TimeLimit::Seconds() const {
  if (!policy_.autoTimeLimit) return policy_.timeLimit;
  if (first_.size() < 10) return 0;
  std::vector<double> sorted = first_;
  std::sort(sorted.begin(), sorted.end());
  const double median = (sorted[4] + sorted[5]) / 2;
  return std::max(10.0, 10 * median);
}

double MedianTime(std::vector<double> times) {
  const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
  std::nth_element(times.begin(), middle, times.end());
  return *middle;
}

std::string UtcNow() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
#if defined(_WIN32)
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}
