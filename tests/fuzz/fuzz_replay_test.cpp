// Replays the fuzz seed corpora and every kept fuzz finding through the
// parsers, so that the normal test suite guards what fuzzing has found.

#include <filesystem>

#include <gtest/gtest.h>

#include "fuzz_targets.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

size_t ReplayDirectory(const FuzzTarget& target, const fs::path& dir) {
  size_t replayed = 0;
  if (!fs::exists(dir)) return 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::string input = testing_support::ReadFile(entry.path());
    SCOPED_TRACE(entry.path().string());
    target.run(input);
    ++replayed;
  }
  return replayed;
}

TEST(FuzzReplay, SeedsAndRegressionsParseWithoutCrashing) {
  for (size_t i = 0; i < kFuzzTargetCount; ++i) {
    const FuzzTarget& target = kFuzzTargets[i];
    size_t seeds = ReplayDirectory(target, fs::path(FUZZ_DIR) / "corpus" / target.name);
    ReplayDirectory(target, fs::path(FUZZ_DIR) / "regressions" / target.name);
    EXPECT_GT(seeds, 0u) << target.name << " has no seed corpus";
  }
}

TEST(FuzzReplay, HostileInputsAreRefusedCleanly) {
  const std::string hostile[] = {
      "", "\n\n\n", std::string(100000, ','), std::string(70000, '9'), "2147483648\n",
      "-2147483649\n", "1e999999\n", "nan,NaN,-Infinity,Uno,,\n", std::string("\0\r\n\0", 4),
      "99999999\n1\n99999999\n1\n0\nx\n1,\n"};
  for (size_t i = 0; i < kFuzzTargetCount; ++i)
    for (const std::string& input : hostile) kFuzzTargets[i].run(input);
}

}  // namespace
