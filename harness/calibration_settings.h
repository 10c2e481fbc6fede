#pragma once
// The calibration settings that every harness operation receives.

#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"
#include "source_records.h"
#include "run_files.h"

struct CalibrationSettings {
  int nparam = 20;
  int nflux = 0;          // fluxes compared: the columns of every series matrix
  int spareSetting = 0;   // kept; nothing uses it
  int nsteps = 0;         // time steps compared: the rows of every series matrix
  int runIndex = 0;       // 1-based number of the current run, 0 before the first
  int nruns = 0;
  std::vector<SubbasinRecord> subbasins;
  std::vector<ReachRecord> reaches;
  int nsub = 0;
  int objectiveKind = 0;  // 1 to 6
  int obsThreshold = 0;   // a time step is compared only where observed > this
  IntVector fluxColumns;  // per flux, columns to advance from the previous flux
  std::vector<long> fluxColumnLines;  // per flux, the line of its offset in the settings file
};

// Fills nparam, nflux, spareSetting, nsteps, objectiveKind, obsThreshold and
// fluxColumns from the text of "moscem_param.txt"; throws InputError.
void ParseCalibrationSettings(std::string_view text, const std::string& path,
                              CalibrationSettings& settings);

// Reads the file named calibrationSettingsFile; a file that cannot be opened
// stops the program through FailWithBanner, a bad value through InputError.
// No flux to compare is a failure too: the notice on standard output, then
// an InputError for line 1.
void ReadCalibrationSettings(CalibrationSettings& settings, const RunFiles& files);

// Checks the settings against the model run that "balparam.txt" describes:
// its subbasins (one flow column each in "streamflow.txt") and its days (one
// flow row each). Sets settings.nsub. A flux column beyond the subbasins or
// more time steps than days is an InputError naming both files.
void CheckSettingsAgainstModelRun(CalibrationSettings& settings, const RunFiles& files);
