#pragma once
// The timing of the in-process benchmarks: the best of a few repeats, so
// that a moment of other work on the machine does not count.

#include <algorithm>
#include <chrono>
#include <functional>

inline double BestSeconds(const std::function<void()>& work, int repeats = 5) {
  double best = 1e300;
  for (int i = 0; i < repeats; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}
