// oat-sensitivity: designs a one-at-a-time sensitivity experiment over the 20
// adjustable parameters, runs the model 400 times and writes per-run and
// per-parameter sensitivity figures.

#include <cstdio>

#include "input_error.h"
#include "model_library.h"
#include "oat_runs.h"

// Takes no arguments; any that are given are ignored.
int main() {
  try {
    ModelLibrary library;
    ModelEntryPoints entries;
    if (!BindModelLibrary(library, entries)) return 1;
    OatRunDriver(entries);
    return 0;
  } catch (const InputError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
