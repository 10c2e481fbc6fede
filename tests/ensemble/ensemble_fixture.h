#pragma once
// A small working directory for ensemble-runner: three subbasins whose Soilwhc
// (100) is the only optimised parameter, and the test model, which scales the
// flows of "streamflow.source" by Soilwhc / 100, so that run k's flows are
// its multiplier times the source flows.

#include <string>
#include <vector>

#include "test_support.h"

struct EnsembleFixture {
  testing_support::ScopedTempDir dir;

  // One multiplier of parameter 1 per run; the objective file gets k.5 for flux 1.
  explicit EnsembleFixture(const std::vector<double>& multipliers, int nflux = 2, int kind = 1,
                           int threshold = 0);
  void Write(const std::string& name, const std::string& text) const;
  std::string Read(const std::string& name) const;
  testing_support::Outcome Run(const std::string& arguments = "run.txt") const;
};
