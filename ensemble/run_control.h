#pragma once
// The run-control file of ensemble-runner: the number of runs at the start of
// line 1 (free text may follow it), then sixteen whitespace-separated names.

#include <string>
#include <string_view>

#include "run_files.h"

struct RunControl {
  int nruns = 0;
  RunFiles files;
};

// Throws InputError when the run count is missing or below 1, or when fewer
// than sixteen names follow it.
RunControl ParseRunControl(std::string_view text, const std::string& path);
