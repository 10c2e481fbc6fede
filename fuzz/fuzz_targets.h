#pragma once
// The parsers of every file the programs read, each as a function of one
// input text. libFuzzer calls them through fuzz_main.cpp; the test suite
// replays the seed corpora and the kept regression inputs through them.
// A target only parses and checks; it never ends the process: parsers
// report bad input by throwing InputError, which the target expects.

#include <cstddef>
#include <string_view>

struct FuzzTarget {
  const char* name;
  void (*run)(std::string_view input);
};

extern const FuzzTarget kFuzzTargets[];
extern const size_t kFuzzTargetCount;

// The target of this name, or nullptr.
const FuzzTarget* FindFuzzTarget(std::string_view name);
