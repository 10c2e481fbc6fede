#include "morris_design.h"

#include <algorithm>
#include <cmath>

#include "input_error.h"
#include "number_format.h"
#include "text.h"

namespace {

uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

uint64_t Rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

DesignRandom::DesignRandom(uint64_t seed) {
  for (uint64_t& s : state_) s = SplitMix(seed);
}

uint64_t DesignRandom::Next() {
  const uint64_t result = Rotate(state_[1] * 5, 7) * 9;
  const uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = Rotate(state_[3], 45);
  return result;
}

uint64_t DesignRandom::Below(uint64_t n) {
  // The largest multiple of n below 2^64 bounds the numbers taken.
  const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
  uint64_t x;
  do x = Next();
  while (x >= limit);
  return x % n;
}

double MorrisDelta(int levels) { return levels / (2.0 * (levels - 1)); }

std::vector<MorrisPoint> DrawMorrisDesign(const MorrisSettings& settings, const double lower[kParameterCount],
                                          const double upper[kParameterCount]) {
  DesignRandom random(settings.seed);
  const int p = settings.levels;
  const double delta = MorrisDelta(p);
  // The base levels j / (p - 1) with j / (p - 1) + delta <= 1.
  int baseLevels = 0;
  while (baseLevels < p && static_cast<double>(baseLevels) / (p - 1) + delta <= 1 + 1e-12) ++baseLevels;
  std::vector<MorrisPoint> design;
  design.reserve(static_cast<size_t>(settings.trajectories) * (kParameterCount + 1));
  for (int t = 1; t <= settings.trajectories; ++t) {
    double base[kParameterCount];
    bool up[kParameterCount];
    int order[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i) base[i] = static_cast<double>(random.Below(static_cast<uint64_t>(baseLevels))) / (p - 1);
    for (int i = 0; i < kParameterCount; ++i) up[i] = random.Below(2) == 1;
    for (int i = 0; i < kParameterCount; ++i) order[i] = i;
    for (int i = kParameterCount - 1; i > 0; --i) std::swap(order[i], order[random.Below(static_cast<uint64_t>(i) + 1)]);
    MorrisPoint point;
    point.trajectory = t;
    // A parameter whose sign is negative starts at x* + delta and steps down.
    for (int i = 0; i < kParameterCount; ++i) point.x[i] = up[i] ? base[i] : base[i] + delta;
    for (int step = 0; step <= kParameterCount; ++step) {
      if (step > 0) {
        const int i = order[step - 1];
        point.x[i] = up[i] ? base[i] + delta : base[i];
        point.changed = i + 1;
      }
      point.step = step;
      for (int i = 0; i < kParameterCount; ++i) point.multipliers[i] = lower[i] + point.x[i] * (upper[i] - lower[i]);
      design.push_back(point);
    }
  }
  return design;
}

std::string MorrisDesignText(const std::vector<MorrisPoint>& design) {
  std::string out = "trajectory,step,changed_parameter";
  for (const AdjustableParameter& p : kAdjustableParameters) out += std::string(",") + p.name;
  out += '\n';
  for (const MorrisPoint& point : design) {
    out += FormatString("%d,%d,%s", point.trajectory, point.step,
                        point.changed ? kAdjustableParameters[point.changed - 1].name : "");
    for (double m : point.multipliers) out += "," + TidyText(m);
    out += '\n';
  }
  return out;
}

std::vector<MorrisPoint> ParseMorrisDesign(std::string_view text, const std::string& path, size_t points) {
  std::vector<MorrisPoint> design;
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // the header
  while (design.size() < points && lines.Next(line)) {
    const long number = lines.LineNumber();
    auto fail = [&](const std::string& what) { throw InputError(path, number, what); };
    std::vector<std::string_view> fields;
    size_t from = 0;
    while (true) {
      size_t comma = line.find(',', from);
      fields.push_back(line.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
      if (comma == std::string_view::npos) break;
      from = comma + 1;
    }
    if (fields.size() != 3 + kParameterCount)
      fail("expected " + std::to_string(3 + kParameterCount) + " fields, found " + std::to_string(fields.size()));
    MorrisPoint point{};
    size_t used = 0;
    if (!ParseLeadingInt(fields[0], point.trajectory, &used) || used != fields[0].size() ||
        !ParseLeadingInt(fields[1], point.step, &used) || used != fields[1].size())
      fail("expected the trajectory and the step");
    for (const AdjustableParameter& p : kAdjustableParameters)
      if (fields[2] == p.name) point.changed = p.number;
    if (point.step > 0 && point.changed == 0) fail("expected the name of the parameter changed, found " + QuoteToken(fields[2]));
    for (int i = 0; i < kParameterCount; ++i) {
      std::string_view field = fields[static_cast<size_t>(3 + i)];
      if (!ParseRealPrefix(field, point.multipliers[i], &used) || used != field.size() ||
          !std::isfinite(point.multipliers[i]))
        fail("expected the multiplier of " + std::string(kAdjustableParameters[i].name) + ", found " + QuoteToken(field));
    }
    design.push_back(point);
  }
  if (design.size() < points)
    throw InputError(path, lines.LineNumber() + 1,
                     "expected " + std::to_string(points) + " points, found " + std::to_string(design.size()));
  return design;
}
