// The libFuzzer entry of one fuzz target, chosen when it is compiled.

#include <cstdint>
#include <cstdlib>

#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FuzzTarget* target = FindFuzzTarget(FUZZ_TARGET_NAME);
  if (!target) std::abort();
  target->run(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
